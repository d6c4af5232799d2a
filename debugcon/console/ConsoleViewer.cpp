#include "debugcon/console/ConsoleViewer.h"

#include <poll.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "debugcon/ConsoleSocket.h"

namespace vela {

ConsoleViewer::ConsoleViewer(std::string path, const sigset_t& waitMask,
                             const volatile sig_atomic_t& stop)
    : path_(std::move(path)), waitMask_(waitMask), stop_(stop) {}

int ConsoleViewer::Run() {
  bool waitingShown = false;
  while (!stop_) {
    UniqueFd socket = ConnectToConsole(path_);
    if (!socket.Valid()) {
      if (!waitingShown) {
        std::fprintf(stderr, "Ожидание программы VelaLink (%s)...\n", path_.c_str());
        waitingShown = true;
      }
      Pause(kViewerRetryMs);
      continue;
    }
    std::fprintf(stderr, "Подключено: %s\n", path_.c_str());
    waitingShown = false;
    const Outcome outcome = Serve(socket.Get());
    if (outcome == Outcome::kOutputFailed) return 1;
    if (outcome == Outcome::kClosed) std::fprintf(stderr, "Соединение закрыто.\n");
  }
  return 0;
}

bool ConsoleViewer::Pause(int ms) {
  const timespec interval{ms / 1000, (ms % 1000) * 1000000L};
  // The stop signals are unblocked only inside ppoll: none can slip in
  // between the check of stop_ and the wait.
  if (!stop_) ::ppoll(nullptr, 0, &interval, &waitMask_);
  return !stop_;
}

ConsoleViewer::Outcome ConsoleViewer::Serve(int fd) {
  std::string message;
  while (!stop_) {
    pollfd entry{fd, POLLIN | POLLRDHUP, 0};
    if (::ppoll(&entry, 1, nullptr, &waitMask_) < 0) {
      if (errno == EINTR) continue;
      return Outcome::kClosed;
    }
    for (;;) {
      const ReceiveResult result = ReceiveMessage(fd, message);
      if (result == ReceiveResult::kClosed) return Outcome::kClosed;
      if (result == ReceiveResult::kNone) break;
      if (!Print(message)) return Outcome::kOutputFailed;
    }
  }
  return Outcome::kStopped;
}

bool ConsoleViewer::Print(const std::string& message) {
  return std::fwrite(message.data(), 1, message.size(), stdout) == message.size() &&
         std::fputc('\n', stdout) != EOF && std::fflush(stdout) == 0;
}

}  // namespace vela
