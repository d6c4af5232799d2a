#include "debugcon/console/ConsoleViewer.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <filesystem>

#include "debugcon/ArkDbgCon.h"
#include "debugcon/ConsolePaths.h"
#include "debugcon/ConsoleSocket.h"
#include "debugcon/PrintableText.h"

namespace vela {

ConsoleViewer::ConsoleViewer(std::string path, const sigset_t& waitMask,
                             const volatile sig_atomic_t& stop)
    : path_(std::move(path)), waitMask_(waitMask), stop_(stop) {}

int ConsoleViewer::Run() {
  bool waitingShown = false;
  const std::string folder = std::filesystem::path(path_).parent_path().string();
  const bool defaultFolder = folder == RuntimeDirectoryPath();
  while (!stop_) {
    // Another user's console folder could hold any socket: none is trusted.
    struct stat status {};
    if (defaultFolder && ::lstat(folder.c_str(), &status) == 0 && !IsPrivateDirectory(folder)) {
      std::fprintf(stderr,
                   "Каталог отладочной консоли %s принадлежит другому пользователю или "
                   "доступен другим: подключение отменено.\n",
                   folder.c_str());
      return 1;
    }
    UniqueFd socket = ConnectToConsole(path_);
    if (!socket.Valid()) {
      const int error = errno;
      if (error == ENAMETOOLONG) {
        std::fprintf(stderr, "Путь сокета длиннее %zu байт, к нему нельзя подключиться: %s\n",
                     sizeof(sockaddr_un::sun_path) - 1, path_.c_str());
        return 1;
      }
      if (!waitingShown) {
        std::fprintf(stderr, "Ожидание программы VelaLink (%s)...\n", path_.c_str());
        if (TellAboutOtherUsers(error)) return 1;
        waitingShown = true;
      }
      Pause(kViewerRetryMs);
      continue;
    }
    waitingShown = false;
    Outcome outcome = Greet(socket.Get());
    if (outcome == Outcome::kAccepted) outcome = Serve(socket.Get());
    if (outcome == Outcome::kOutputFailed || outcome == Outcome::kRefused) return 1;
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

ConsoleViewer::Outcome ConsoleViewer::Greet(int fd) {
  pollfd entry{fd, POLLIN | POLLRDHUP, 0};
  const timespec wait{0, kViewerGreetingMs * 1000000L};
  std::string message;
  const bool first = ::ppoll(&entry, 1, &wait, &waitMask_) > 0 &&
                     ReceiveMessage(fd, message) == ReceiveResult::kMessage;
  if (first && !message.empty() && message[0] == TArkPipeBase::kRefusalMark) {
    std::fprintf(stderr, "Отказано (%s): %s\n", path_.c_str(),
                 TerminalSafe(message.substr(1)).c_str());
    return Outcome::kRefused;
  }
  std::fprintf(stderr, "Подключено: %s\n", path_.c_str());
  if (first && !Print(message)) return Outcome::kOutputFailed;
  return Outcome::kAccepted;
}

bool ConsoleViewer::TellAboutOtherUsers(int error) {
  if (error == EACCES || error == EPERM) {
    std::fprintf(stderr,
                 "Нет доступа к %s: программа VelaLink запущена другим пользователем. "
                 "Запустите velalink-console от его имени (например, sudo velalink-console).\n",
                 path_.c_str());
    return true;
  }
  // A copy started with sudo keeps its sockets in a folder of its own user.
  std::error_code ignored;
  for (const auto& entry : std::filesystem::directory_iterator("/tmp", ignored)) {
    const std::string name = entry.path().filename().string();
    struct stat status {};
    if (name.rfind("velalink-", 0) != 0 || ::lstat(entry.path().c_str(), &status) != 0 ||
        !S_ISDIR(status.st_mode) || status.st_uid == ::geteuid()) {
      continue;
    }
    std::fprintf(stderr,
                 "Каталог %s принадлежит другому пользователю (uid %u): трассировку "
                 "VelaLink, запущенной от его имени (sudo), видит только он: "
                 "sudo velalink-console.\n",
                 entry.path().c_str(), static_cast<unsigned>(status.st_uid));
  }
  return false;
}

int ListConsoles(const std::string& basePath) {
  int found = 0;
  for (int index = 0; index < kMaxConsoleInstances; ++index) {
    const std::string path = ConsoleInstancePath(basePath, index);
    UniqueFd socket = ConnectToConsole(path);
    if (!socket.Valid()) continue;
    ucred peer{};
    socklen_t length = sizeof peer;
    const bool known = ::getsockopt(socket.Get(), SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0;
    std::printf("%d  %s  VelaLink, процесс %ld\n", index, path.c_str(),
                known ? static_cast<long>(peer.pid) : -1L);
    ++found;
  }
  if (found == 0) std::printf("Работающих программ VelaLink нет (%s).\n", basePath.c_str());
  std::fflush(stdout);
  return 0;
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

bool ConsoleViewer::Print(const std::string& received) {
  const std::string message = TerminalSafe(received);
  return std::fwrite(message.data(), 1, message.size(), stdout) == message.size() &&
         std::fputc('\n', stdout) != EOF && std::fflush(stdout) == 0;
}

}  // namespace vela
