#include "app/cli/StopSignal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>

#include "common/ArkSysUtils.h"
#include "common/ArkTypes.h"
#include "common/HandOver.h"

namespace vela::cli {
namespace {

// The write end for the handler; one TStopSignal at a time.
std::atomic<int> gWriteFd{-1};
constexpr char kQuit = 0;  // from the destructor: the watcher ends
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void OnSignal(int number) {
  const int savedErrno = errno;
  const char octet = static_cast<char>(number);
  const int fd = gWriteFd.load();
  if (fd >= 0) {
    [[maybe_unused]] const ssize_t n = ::write(fd, &octet, 1);
  }
  errno = savedErrno;
}

void SetHandler(int number, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  ::sigaction(number, &action, nullptr);
}

}  // namespace

TStopSignal::TStopSignal() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    throw TArkException("Не удалось создать канал для сигналов остановки, " + LastErrorText());
  }
  readFd_ = fds[0];
  writeFd_ = fds[1];
  gWriteFd = writeFd_;
  watcher_ = std::thread([this] { Watch(); });
  for (const int number : kStopSignals) SetHandler(number, OnSignal);
}

TStopSignal::~TStopSignal() {
  for (const int number : kStopSignals) SetHandler(number, SIG_DFL);
  gWriteFd = -1;
  const char quit = kQuit;
  [[maybe_unused]] const ssize_t n = ::write(writeFd_, &quit, 1);
  watcher_.join();
  ::close(readFd_);
  ::close(writeFd_);
}

void TStopSignal::Watch() {
  for (;;) {
    char octet = 0;
    const ssize_t n = ::read(readFd_, &octet, 1);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0 || octet == kQuit) return;
    signal_ = octet;
    ++count_;
    handover::Wake();  // the event loop looks at the mark at once
  }
}

}  // namespace vela::cli
