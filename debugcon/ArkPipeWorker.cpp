// The worker loop of the debug console endpoint: accepting the viewer,
// reading (and discarding) what it sends, completing deferred writes.

#include "debugcon/ArkPipeWorker.h"

#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <string>

namespace vela {

namespace {

// Pause after accept failed for a reason that does not go away by itself
// (out of descriptors): the listener stays readable, so retrying at once
// would spin.
constexpr int kAcceptPauseMs = 1000;

bool AcceptFailureIsTransient(int error) {
  return error == EAGAIN || error == EWOULDBLOCK || error == EINTR || error == ECONNABORTED;
}

}  // namespace

void TArkPipeBase::Execute() {
  bool acceptPaused = false;
  while (!worker_->Terminated()) {
    pollfd fds[3] = {{wakeEvent_.Get(), POLLIN, 0}, {-1, 0, 0}, {-1, 0, 0}};
    const bool serving = WatchList(fds[1], fds[2], acceptPaused);
    // Only this thread closes the sockets polled here; poll skips fd -1.
    if (::poll(fds, 3, acceptPaused ? kAcceptPauseMs : -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    acceptPaused = false;
    if (fds[0].revents != 0) ClearWake();
    if (worker_->Terminated()) return;
    if (serving && fds[1].revents != 0) ServeViewer(fds[1].fd, fds[1].revents);
    if (fds[2].revents == 0) continue;
    if (Connected()) {
      RefuseViewer(fds[2].fd);
    } else {
      acceptPaused = !AcceptViewer(fds[2].fd);
    }
  }
}

bool TArkPipeBase::WatchList(pollfd& client, pollfd& listener, bool acceptPaused) {
  std::lock_guard lock(mutex_);
  if (listener_.socket.Valid() && !acceptPaused) listener = {listener_.socket.Get(), POLLIN, 0};
  if (!client_.Valid()) return false;
  const short events = POLLIN | POLLRDHUP | (writePending_ ? POLLOUT : 0);
  client = {client_.Get(), events, 0};
  return true;
}

namespace {

// Tells a viewer why it is let go; it may be gone already.
void SendRefusal(int fd, const std::string& text) {
  const std::string message = TArkPipeBase::kRefusalMark + text;
  ::send(fd, message.data(), message.size(), MSG_DONTWAIT | MSG_NOSIGNAL);
}

// The socket is owner-only, but root reaches it anyway.
bool PeerIsAnotherUser(int fd) {
  ucred peer{};
  socklen_t length = sizeof peer;
  return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &length) == 0 && peer.uid != ::geteuid();
}

}  // namespace

void TArkPipeBase::RefuseViewer(int listenFd) {
  UniqueFd viewer(::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
  if (!viewer.Valid()) return;
  SendRefusal(viewer.Get(),
              "К программе VelaLink (процесс " + std::to_string(::getpid()) +
                  ") уже подключена другая консоль; её трассировку получает только одна.");
}

bool TArkPipeBase::AcceptViewer(int listenFd) {
  UniqueFd client(::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
  if (!client.Valid()) return AcceptFailureIsTransient(errno);
  if (PeerIsAnotherUser(client.Get())) {
    SendRefusal(client.Get(), "Программа VelaLink запущена другим пользователем (uid " +
                                  std::to_string(::geteuid()) +
                                  "); её трассировку видит только он.");
    return true;
  }
  TNotifyEvent onConnect;
  {
    std::lock_guard lock(mutex_);
    client_ = std::move(client);
    connected_ = true;
    writePending_ = false;
    dropped_ = 0;
    onConnect = onConnect_;
  }
  if (onConnect) HandOver([&] { onConnect(*this); });
  return true;
}

void TArkPipeBase::ServeViewer(int clientFd, short revents) {
  if ((revents & (POLLIN | POLLHUP | POLLRDHUP | POLLERR)) != 0 && !ReadFromViewer(clientFd)) {
    Disconnect();
    return;
  }
  if ((revents & POLLOUT) != 0) CompleteWrite();
}

bool TArkPipeBase::ReadFromViewer(int clientFd) {
  std::string message;
  for (;;) {
    switch (ReceiveMessage(clientFd, message)) {
      case ReceiveResult::kClosed:
        return false;
      case ReceiveResult::kNone:
        return true;
      case ReceiveResult::kMessage:
        Deliver(message);
        break;
    }
  }
}

void TArkPipeBase::Deliver(const std::string& data) {
  TDataEvent onRead;
  {
    std::lock_guard lock(mutex_);
    onRead = onRead_;
  }
  if (!onRead) return;
  for (size_t offset = 0; offset < data.size(); offset += kReadBufferSize) {
    const std::string part = data.substr(offset, kReadBufferSize);
    HandOver([&] { onRead(*this, part); });
  }
}

void TArkPipeBase::CompleteWrite() {
  TDataEvent onWrite;
  std::string written;
  {
    std::lock_guard lock(mutex_);
    if (!writePending_ || !client_.Valid()) return;
    const ssize_t sent = ::send(client_.Get(), writeBuffer_.data(), writeBuffer_.size(),
                                MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return;
    writePending_ = false;
    written.swap(writeBuffer_);
    if (sent < 0) return;  // the hang-up follows on the next poll
    onWrite = onWrite_;
  }
  if (onWrite) HandOver([&] { onWrite(*this, written); });
}

void TArkPipeBase::Disconnect() {
  TNotifyEvent onDisconnect;
  {
    std::lock_guard lock(mutex_);
    client_.Reset();
    connected_ = false;
    writePending_ = false;
    writeBuffer_.clear();
    onDisconnect = onDisconnect_;
  }
  if (onDisconnect) HandOver([&] { onDisconnect(*this); });
}

void TArkPipeBase::HandOver(const std::function<void()>& call) {
  // A failing handler must not end the worker: traces never disturb.
  try {
    Worker::HandOver(call);
  } catch (...) {
  }
}

}  // namespace vela
