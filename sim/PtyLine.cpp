#include "sim/PtyLine.h"

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "sim/PtyTermios.h"

namespace vela {
namespace {
constexpr int kWriteWaitMs = 200;

[[noreturn]] void Fail(const std::string& what) {
  const int error = errno;
  throw TArkException(what + ", ошибка #" + std::to_string(error) + ": " + std::strerror(error));
}
}  // namespace

PtyLine::PtyLine(const LineFormat& format) {
  master_ = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0) Fail("Не удалось открыть псевдотерминал");
  char name[128];
  if (grantpt(master_) != 0 || unlockpt(master_) != 0 || ptsname_r(master_, name, sizeof name)) {
    close(master_);
    Fail("Не удалось подготовить псевдотерминал");
  }
  devicePath_ = name;
  slave_ = open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (slave_ < 0 || !SetRawLineFormat(slave_, format)) {
    if (slave_ >= 0) close(slave_);
    close(master_);
    Fail("Не удалось настроить псевдотерминал " + devicePath_);
  }
}

PtyLine::~PtyLine() {
  close(slave_);
  close(master_);
}

Octets PtyLine::ReadAvailable() {
  Octets octets;
  char chunk[512];
  for (;;) {
    const ssize_t n = read(master_, chunk, sizeof chunk);
    if (n > 0) {
      octets.append(chunk, static_cast<size_t>(n));
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    return octets;  // EAGAIN: nothing more for now
  }
}

bool PtyLine::Write(const Octets& octets) {
  size_t done = 0;
  while (done < octets.size()) {
    const ssize_t n = write(master_, octets.data() + done, octets.size() - done);
    if (n > 0) {
      done += static_cast<size_t>(n);
    } else if (n < 0 && errno == EINTR) {
      continue;
    } else if (n < 0 && errno == EAGAIN) {
      pollfd p{master_, POLLOUT, 0};
      if (poll(&p, 1, kWriteWaitMs) <= 0) return false;
    } else {
      return false;
    }
  }
  return true;
}

std::optional<LineFormat> PtyLine::PeerFormat() const {
  return GetLineFormat(slave_);
}

}  // namespace vela
