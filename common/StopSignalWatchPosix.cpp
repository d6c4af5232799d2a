#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <thread>

#include "common/ArkSysUtils.h"
#include "common/ArkTypes.h"
#include "common/StopSignalWatch.h"

namespace vela {
namespace {

// The write end for the handler, which only writes one octet to a pipe (the
// self-pipe rule: nothing else is safe there).
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

struct TStopSignalWatch::TState {
  int readFd = -1;
  int writeFd = -1;
  std::function<void(int)> onStop;
  std::thread watcher;

  void Watch() {
    for (;;) {
      char octet = 0;
      const ssize_t n = ::read(readFd, &octet, 1);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0 || octet == kQuit) return;
      onStop(octet);
    }
  }
};

TStopSignalWatch::TStopSignalWatch(std::function<void(int)> onStop)
    : state_(std::make_unique<TState>()) {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) {
    throw TArkException("Не удалось создать канал для сигналов остановки, " + LastErrorText());
  }
  state_->readFd = fds[0];
  state_->writeFd = fds[1];
  state_->onStop = std::move(onStop);
  gWriteFd = state_->writeFd;
  state_->watcher = std::thread([state = state_.get()] { state->Watch(); });
  for (const int number : kStopSignals) SetHandler(number, OnSignal);
}

TStopSignalWatch::~TStopSignalWatch() {
  for (const int number : kStopSignals) SetHandler(number, SIG_DFL);
  gWriteFd = -1;
  const char quit = kQuit;
  [[maybe_unused]] const ssize_t n = ::write(state_->writeFd, &quit, 1);
  state_->watcher.join();
  ::close(state_->readFd);
  ::close(state_->writeFd);
}

}  // namespace vela
