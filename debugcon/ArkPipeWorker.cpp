// The worker loop of the debug console endpoint: accepting the viewer,
// reading (and discarding) what it sends, completing deferred writes.

#include "debugcon/ArkPipeWorker.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>

namespace vela {

void TArkPipeBase::Execute() {
  while (!worker_->Terminated()) {
    pollfd fds[2] = {{wakeEvent_.Get(), POLLIN, 0}, {-1, 0, 0}};
    int clientFd = -1;
    {
      std::lock_guard lock(mutex_);
      if (client_.Valid()) {
        clientFd = client_.Get();
        fds[1] = {clientFd, static_cast<short>(POLLIN | POLLRDHUP | (writePending_ ? POLLOUT : 0)),
                  0};
      } else if (listener_.socket.Valid()) {
        fds[1] = {listener_.socket.Get(), POLLIN, 0};
      }
    }
    // Only this thread closes the sockets polled here.
    if (::poll(fds, fds[1].fd >= 0 ? 2 : 1, -1) < 0) {
      if (errno == EINTR) continue;
      return;
    }
    if (fds[0].revents != 0) ClearWake();
    if (worker_->Terminated()) return;
    if (fds[1].revents == 0) continue;
    if (clientFd >= 0) {
      ServeViewer(clientFd, fds[1].revents);
    } else {
      AcceptViewer(fds[1].fd);
    }
  }
}

void TArkPipeBase::AcceptViewer(int listenFd) {
  UniqueFd client(::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
  if (!client.Valid()) return;
  TNotifyEvent onConnect;
  {
    std::lock_guard lock(mutex_);
    client_ = std::move(client);
    connected_ = true;
    writePending_ = false;
    onConnect = onConnect_;
  }
  if (onConnect) HandOver([&] { onConnect(*this); });
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
