#include "debugcon/ConsoleSocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "common/ArkTypes.h"
#include "debugcon/ConsolePaths.h"
#include "debugcon/SystemError.h"

namespace vela {
namespace {

constexpr int kListenBacklog = 4;

enum class SocketFileState { kAbsent, kStale, kLive, kForeign };

sockaddr_un AddressOf(const std::string& path) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    throw TArkException("Слишком длинный путь сокета отладочной консоли: " + path);
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return address;
}

UniqueFd NewSocket() {
  UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!fd.Valid()) RaiseSystemError("Не удалось создать сокет отладочной консоли");
  return fd;
}

int ConnectTo(int fd, const std::string& path) {
  const sockaddr_un address = AddressOf(path);
  return ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
}

// What is at path: nothing, a socket nobody listens on, a live socket, or
// something else that must not be touched.
SocketFileState ProbeSocketFile(const std::string& path) {
  struct stat st {};
  if (::lstat(path.c_str(), &st) != 0) return SocketFileState::kAbsent;
  if (!S_ISSOCK(st.st_mode)) return SocketFileState::kForeign;
  UniqueFd probe = NewSocket();
  if (ConnectTo(probe.Get(), path) == 0) return SocketFileState::kLive;
  if (errno == ECONNREFUSED) return SocketFileState::kStale;
  if (errno == ENOENT) return SocketFileState::kAbsent;
  return SocketFileState::kLive;  // busy (EAGAIN), another socket type, ...
}

// Holds path + ".lock" for this process; an invalid fd when another holds it.
UniqueFd LockInstance(const std::string& path) {
  const std::string lockPath = path + ".lock";
  UniqueFd lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
  if (!lock.Valid()) RaiseSystemError("Не удалось открыть файл " + lockPath);
  if (::flock(lock.Get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) return {};
    RaiseSystemError("Не удалось заблокировать файл " + lockPath);
  }
  return lock;
}

// Binds and listens at path; an invalid fd when the name is taken meanwhile.
UniqueFd ListenAt(const std::string& path) {
  const sockaddr_un address = AddressOf(path);
  UniqueFd fd = NewSocket();
  // The mode of the socket inode becomes the mode of the file bind creates.
  if (::fchmod(fd.Get(), 0600) != 0) RaiseSystemError("Не удалось задать права сокета " + path);
  if (::bind(fd.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    if (errno == EADDRINUSE) return {};
    RaiseSystemError("Не удалось создать сокет отладочной консоли " + path);
  }
  if (::chmod(path.c_str(), 0600) != 0 || ::listen(fd.Get(), kListenBacklog) != 0) {
    const int error = errno;
    ::unlink(path.c_str());
    throw TArkException(
        SystemErrorMessage("Не удалось открыть сокет отладочной консоли " + path, error));
  }
  return fd;
}

}  // namespace

ConsoleListener ClaimConsoleSocket(const std::string& basePath) {
  for (int index = 0; index < kMaxConsoleInstances; ++index) {
    ConsoleListener listener;
    listener.path = ConsoleInstancePath(basePath, index);
    listener.index = index;
    AddressOf(listener.path);  // too long a path fails before any file is made
    listener.lock = LockInstance(listener.path);
    if (!listener.lock.Valid()) continue;
    const SocketFileState state = ProbeSocketFile(listener.path);
    if (state == SocketFileState::kLive || state == SocketFileState::kForeign) continue;
    if (state == SocketFileState::kStale && ::unlink(listener.path.c_str()) != 0 &&
        errno != ENOENT) {
      RaiseSystemError("Не удалось удалить старый сокет " + listener.path);
    }
    listener.socket = ListenAt(listener.path);
    if (listener.socket.Valid()) return listener;
  }
  throw TArkException("Все " + std::to_string(kMaxConsoleInstances) +
                      " экземпляров отладочной консоли " + basePath + " заняты");
}

UniqueFd ConnectToConsole(const std::string& path) {
  if (path.size() >= sizeof(sockaddr_un::sun_path)) {
    errno = ENAMETOOLONG;
    return {};
  }
  UniqueFd fd(::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!fd.Valid() || ConnectTo(fd.Get(), path) != 0) return {};
  return fd;
}

ReceiveResult ReceiveMessage(int fd, std::string& message) {
  // MSG_TRUNC with MSG_PEEK gives the full length of the next message.
  const ssize_t length = ::recv(fd, nullptr, 0, MSG_PEEK | MSG_TRUNC | MSG_DONTWAIT);
  if (length < 0)
    return errno == EAGAIN || errno == EINTR ? ReceiveResult::kNone : ReceiveResult::kClosed;
  message.resize(static_cast<size_t>(length));
  char empty = 0;
  const ssize_t got =
      ::recv(fd, length > 0 ? message.data() : &empty, message.size(), MSG_DONTWAIT);
  if (got < 0) return errno == EAGAIN ? ReceiveResult::kNone : ReceiveResult::kClosed;
  if (got == 0) {
    // At the end of the connection the hang-up is already in force.
    pollfd entry{fd, POLLIN | POLLRDHUP, 0};
    if (::poll(&entry, 1, 0) > 0 && (entry.revents & (POLLHUP | POLLRDHUP | POLLERR)) != 0) {
      return ReceiveResult::kClosed;
    }
  }
  message.resize(static_cast<size_t>(got));
  return ReceiveResult::kMessage;
}

}  // namespace vela
