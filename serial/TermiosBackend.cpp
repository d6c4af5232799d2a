#include "serial/TermiosBackend.h"

#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <mutex>
#include <optional>

#include "common/ArkSysUtils.h"
#include "serial/PortFailures.h"
#include "serial/PortNames.h"
#include "serial/SystemBackend.h"
#include "serial/TermiosLine.h"

namespace vela {
namespace {

int64_t NowUs() {
  using namespace std::chrono;
  return duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count();
}

// The calls of the direction control on the open device.
class FdDirectionLines : public DirectionLines {
 public:
  explicit FdDirectionLines(int fd) : fd_(fd) {}
  std::optional<unsigned> Rs485Flags() override {
    serial_rs485 rs485{};
    if (ioctl(fd_, TIOCGRS485, &rs485) != 0) return std::nullopt;
    return rs485.flags;
  }
  bool SetRs485Flags(unsigned flags) override {
    serial_rs485 rs485{};
    if (ioctl(fd_, TIOCGRS485, &rs485) != 0) return false;
    rs485.flags = flags;
    return ioctl(fd_, TIOCSRS485, &rs485) == 0;
  }
  bool SetRts(bool high) override {
    int lines = TIOCM_RTS;
    return ioctl(fd_, high ? TIOCMBIS : TIOCMBIC, &lines) == 0;
  }
  bool Drain() override { return tcdrain(fd_) == 0; }

 private:
  int fd_;
};

[[noreturn]] void RaiseSetupFailure(const char* call, int error) {
  throw TArkException(std::string("Не удалось настроить порт\r\n ") + call +
                      "(): " + SystemErrorText(error));
}

}  // namespace

TermiosBackend::TermiosBackend() {
  wakeFd_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wakeFd_ < 0) RaiseSetupFailure("eventfd", errno);
}

TermiosBackend::~TermiosBackend() {
  if (fd_ >= 0) {
    FdDirectionLines lines(fd_);
    direction_.Restore(lines);
    ioctl(fd_, TIOCNXCL);
    ::close(fd_);
  }
  ::close(wakeFd_);
}

uint64_t TermiosBackend::Open(const std::string& portName) {
  const std::string path = DevicePathOfPort(portName);
  if (path.empty()) {
    throw TArkException("Не удалось открыть порт \"" + portName +
                        "\"\r\n open(): " + SystemErrorText(ENOENT));
  }
  // Messages name the device node itself, not the link to it.
  char resolved[PATH_MAX];
  const std::string node = ::realpath(path.c_str(), resolved) ? resolved : path;
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) RaiseOpenFailure(portName, node, "open", errno);
  termios attributes{};
  if (tcgetattr(fd, &attributes) != 0) {
    const int error = errno;
    ::close(fd);
    RaiseOpenFailure(portName, node, "tcgetattr", error);
  }
  // No sharing: a second open of the line fails with EBUSY (Close clears it).
  if (ioctl(fd, TIOCEXCL) != 0) {
    const int error = errno;
    ::close(fd);
    RaiseOpenFailure(portName, node, "ioctl(TIOCEXCL)", error);
  }
  // What arrived while nobody had the line open is no answer to anything.
  tcflush(fd, TCIFLUSH);
  std::unique_lock lock(deviceMutex_);
  fd_ = fd;
  attributesAtOpen_ = attributes;
  devicePath_ = node;
  pseudoTerminal_ = serial_detail::IsPseudoTerminal(fd);
  countersAtOpen_ = RawCounters();
  collected_.clear();
  closing_ = false;
  return ++session_;
}

void TermiosBackend::Configure(const LineSettings& settings) {
  std::shared_lock lock(deviceMutex_);
  if (fd_ < 0) RaiseSetupFailure("tcsetattr", EBADF);
  try {
    serial_detail::ConfigureLine(fd_, settings, pseudoTerminal_);
    FdDirectionLines lines(fd_);
    direction_.Apply(lines, settings.rtsControl);
  } catch (...) {
    // A line that cannot be used is left as it was found (a terminal given
    // for a port stays usable).
    tcsetattr(fd_, TCSANOW, &attributesAtOpen_);
    throw;
  }
}

std::string TermiosBackend::DevicePath() const {
  std::shared_lock lock(deviceMutex_);
  return devicePath_;
}

std::string TermiosBackend::DirectionControlText() const {
  return direction_.Text();
}

bool TermiosBackend::IsOpen() const {
  std::shared_lock lock(deviceMutex_);
  return fd_ >= 0;
}

void TermiosBackend::Close() {
  closing_ = true;
  Wake();
  std::unique_lock lock(deviceMutex_);
  if (fd_ < 0) return;
  FdDirectionLines lines(fd_);
  direction_.Restore(lines);
  // The exclusive mark stays on a terminal that outlives this descriptor (a
  // pseudo-terminal): left set, the user's next open would fail with EBUSY.
  ioctl(fd_, TIOCNXCL);
  const int result = ::close(fd_);
  const int error = errno;
  fd_ = -1;
  collected_.clear();
  DrainWake();
  // EINTR from close still releases the descriptor on Linux.
  if (result != 0 && error != EINTR) {
    throw TArkException("Не удалось закрыть порт\r\n close(): " + SystemErrorText(error));
  }
}

TermiosBackend::Ready TermiosBackend::WaitFor(short events, int64_t timeoutUs, short& revents,
                                              int& error) {
  for (;;) {
    pollfd fds[2] = {{fd_, events, 0}, {wakeFd_, POLLIN, 0}};
    const timespec timeout{static_cast<time_t>(timeoutUs / 1000000),
                           static_cast<long>(timeoutUs % 1000000) * 1000};
    const int count = ::ppoll(fds, 2, timeoutUs < 0 ? nullptr : &timeout, nullptr);
    if (count < 0 && errno == EINTR) continue;
    if (count < 0) {
      error = errno;
      return Ready::Failed;
    }
    if (count == 0) return Ready::TimedOut;
    if (fds[1].revents & POLLIN) {
      DrainWake();
      return Ready::Woken;
    }
    revents = fds[0].revents;
    return Ready::Device;
  }
}

// Reads what the driver holds, up to maxOctets in all; false on a failure of
// the device (a hang-up reads as EIO).
bool TermiosBackend::ReadAvailable(size_t maxOctets, int& error, size_t& arrived) {
  // Held across read(): a discard meanwhile cannot miss octets on their way in.
  std::lock_guard collecting(collectedMutex_);
  char buffer[1024];
  while (collected_.size() < maxOctets) {
    const size_t room = std::min(sizeof buffer, maxOctets - collected_.size());
    const ssize_t count = ::read(fd_, buffer, room);
    if (count > 0) {
      collected_.append(buffer, static_cast<size_t>(count));
      arrived += static_cast<size_t>(count);
      lastOctetUs_ = NowUs();
      continue;
    }
    if (count < 0 && errno == EAGAIN) return true;
    if (count < 0 && errno == EINTR) continue;
    error = count == 0 ? EIO : errno;
    return false;
  }
  return true;
}

ReadResult TermiosBackend::Read(size_t maxOctets, int gapMs, const AnswerCompleteTest& complete) {
  std::shared_lock lock(deviceMutex_);
  ReadResult result{ReadStatus::Woken, {}, 0, session_};
  if (fd_ < 0 || closing_) return result;
  for (;;) {
    int64_t timeoutUs = -1;
    {
      std::lock_guard collecting(collectedMutex_);
      if (!collected_.empty()) {
        timeoutUs = std::max<int64_t>(0, lastOctetUs_ + int64_t{gapMs} * 1000 - NowUs());
        if (timeoutUs == 0 || collected_.size() >= maxOctets) break;
      }
    }
    short revents = 0;
    int error = 0;
    const Ready ready = WaitFor(POLLIN, timeoutUs, revents, error);
    if (ready == Ready::TimedOut) {
      std::lock_guard collecting(collectedMutex_);
      if (!collected_.empty()) break;
      continue;  // discarded while waiting for the silence: wait for the next octet
    }
    if (ready == Ready::Woken) return result;
    if (ready == Ready::Failed || (revents & POLLNVAL)) {
      result.status = ReadStatus::Failed;
      result.error = ready == Ready::Failed ? error : EBADF;
      return result;
    }
    size_t arrived = 0;
    bool alive = ReadAvailable(maxOctets, error, arrived);
    // A hang-up that leaves nothing to read would wake poll() at once forever.
    if (alive && arrived == 0 && (revents & (POLLHUP | POLLERR))) {
      alive = false;
      error = EIO;
    }
    std::lock_guard collecting(collectedMutex_);
    if (!alive) {
      collected_.clear();
      result.status = ReadStatus::Failed;
      result.error = error;
      return result;
    }
    // A whole answer ends the read without waiting for the silence.
    if (complete && arrived > 0 && complete(collected_)) break;
  }
  std::lock_guard collecting(collectedMutex_);
  result.status = ReadStatus::Data;
  result.data = std::move(collected_);
  collected_.clear();
  return result;
}

WriteResult TermiosBackend::WriteNow(const Octets& data) {
  std::shared_lock lock(deviceMutex_);
  if (direction_.Current() != Rs485Direction::Mode::Toggle || fd_ < 0) {
    return WriteAvailable(data);
  }
  FdDirectionLines lines(fd_);
  direction_.BeforeWrite(lines);
  const WriteResult result = WriteAvailable(data);
  if (result.status == WriteStatus::Failed) direction_.AfterWrite(lines);
  // RTS drops only when the octets have left: the worker waits for that.
  if (result.status == WriteStatus::Done) return {WriteStatus::Partial, result.written, 0};
  return result;
}

WriteResult TermiosBackend::WriteAvailable(std::string_view data) {
  if (fd_ < 0) return {WriteStatus::Failed, 0, EBADF};
  size_t written = 0;
  while (written < data.size()) {
    const ssize_t count = ::write(fd_, data.data() + written, data.size() - written);
    if (count > 0) {
      written += static_cast<size_t>(count);
    } else if (count < 0 && errno == EAGAIN) {
      return {WriteStatus::Partial, written, 0};
    } else if (!(count < 0 && errno == EINTR)) {
      return {WriteStatus::Failed, written, count == 0 ? EIO : errno};
    }
  }
  return {WriteStatus::Done, written, 0};
}

WriteResult TermiosBackend::WriteAll(const Octets& data, uint64_t session) {
  std::shared_lock lock(deviceMutex_);
  const WriteResult result = WriteAllLocked(data, session);
  if (fd_ >= 0 && direction_.Current() == Rs485Direction::Mode::Toggle) {
    FdDirectionLines lines(fd_);
    direction_.AfterWrite(lines);
  }
  return result;
}

WriteResult TermiosBackend::WriteAllLocked(const Octets& data, uint64_t session) {
  size_t written = 0;
  for (;;) {
    if (fd_ < 0 || closing_ || session != session_) return {WriteStatus::Woken, written, 0};
    const WriteResult step = WriteAvailable(std::string_view(data).substr(written));
    written += step.written;
    if (step.status != WriteStatus::Partial) return {step.status, written, step.error};
    short revents = 0;
    int error = 0;
    const Ready ready = WaitFor(POLLOUT, -1, revents, error);
    if (ready == Ready::Woken) return {WriteStatus::Woken, written, 0};
    if (ready == Ready::Failed) return {WriteStatus::Failed, written, error};
  }
}

LineErrorCounters TermiosBackend::RawCounters() const {
  serial_icounter_struct counts{};
  if (fd_ < 0 || ioctl(fd_, TIOCGICOUNT, &counts) != 0) return {};
  return {static_cast<uint32_t>(counts.parity), static_cast<uint32_t>(counts.frame),
          static_cast<uint32_t>(counts.overrun), static_cast<uint32_t>(counts.buf_overrun),
          static_cast<uint32_t>(counts.brk)};
}

LineErrorCounters TermiosBackend::ErrorCounters() {
  std::shared_lock lock(deviceMutex_);
  const LineErrorCounters now = RawCounters();
  return {now.parity - countersAtOpen_.parity, now.framing - countersAtOpen_.framing,
          now.overrun - countersAtOpen_.overrun, now.queueOverflow - countersAtOpen_.queueOverflow,
          now.breaks - countersAtOpen_.breaks};
}

QueueLevels TermiosBackend::Queues() {
  std::shared_lock lock(deviceMutex_);
  int input = 0;
  int output = 0;
  if (fd_ >= 0) {
    ioctl(fd_, TIOCINQ, &input);
    ioctl(fd_, TIOCOUTQ, &output);
  }
  return {static_cast<uint32_t>(std::max(input, 0)), static_cast<uint32_t>(std::max(output, 0))};
}

void TermiosBackend::DiscardInput() {
  std::shared_lock lock(deviceMutex_);
  std::lock_guard collecting(collectedMutex_);
  collected_.clear();
  if (fd_ >= 0) tcflush(fd_, TCIFLUSH);
}

void TermiosBackend::Wake() {
  const uint64_t one = 1;
  // The counter only saturates after 2^64 - 2 wakes nobody read.
  [[maybe_unused]] const ssize_t count = ::write(wakeFd_, &one, sizeof one);
}

void TermiosBackend::DrainWake() {
  uint64_t value = 0;
  [[maybe_unused]] const ssize_t count = ::read(wakeFd_, &value, sizeof value);
}

std::unique_ptr<SerialBackend> MakeSystemSerialBackend() {
  return std::make_unique<TermiosBackend>();
}

}  // namespace vela
