#include "debugcon/ArkDbgCon.h"

#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "common/ArkTypes.h"
#include "debugcon/ArkPipeWorker.h"
#include "debugcon/SystemError.h"

namespace vela {
namespace {

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

TArkPipeBase::TArkPipeBase(const std::string& name, const std::string& directory)
    : pipeName_(ConsoleBasePath(name, directory)),
      wakeEvent_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
  if (!wakeEvent_.Valid()) RaiseSystemError("Не удалось создать событие отладочной консоли");
  // The worker is a separate, complete object: it starts before the derived
  // constructors have run without ever calling a virtual function of this one.
  worker_ = std::make_unique<Worker>(*this);
  worker_->Run();
}

TArkPipeBase::~TArkPipeBase() {
  worker_->Stop();
  if (listener_.socket.Valid()) ::unlink(listener_.path.c_str());
}

void TArkPipeBase::Listen() {
  if (Connected()) throw TArkException("PIPE уже открыт");
  {
    std::lock_guard lock(mutex_);
    if (listener_.socket.Valid()) return;
  }
  EnsurePrivateDirectory(DirectoryOf(pipeName_));
  ConsoleListener listener = ClaimConsoleSocket(pipeName_);
  {
    std::lock_guard lock(mutex_);
    listener_ = std::move(listener);
  }
  WakeWorker();
}

bool TArkPipeBase::Send(const std::string& text) {
  TDataEvent onWrite;
  {
    std::lock_guard lock(mutex_);
    if (!connected_ || text.empty()) return false;
    if (writePending_) {
      ++dropped_;
      return false;
    }
    // Pending is in force before the write is issued and cleared on every
    // way out, so no completion can be overwritten and no failure can leave
    // the endpoint refusing all later texts.
    writePending_ = true;
    writeBuffer_ = text;
    const ssize_t sent = ::send(client_.Get(), writeBuffer_.data(), writeBuffer_.size(),
                                MSG_DONTWAIT | MSG_NOSIGNAL);
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      WakeWorker();  // the worker completes the write when the socket has room
      return true;
    }
    writePending_ = false;
    writeBuffer_.clear();
    if (sent < 0) return false;  // the viewer is going; the worker disconnects it
    onWrite = onWrite_;
    if (dropped_ > 0) {
      // After the text that got through, so the viewer sees where the gap was.
      const std::string notice =
          "    <Пропущено сообщений трассировки: " + std::to_string(dropped_) +
          " (консоль не успевала их читать)>";
      if (::send(client_.Get(), notice.data(), notice.size(), MSG_DONTWAIT | MSG_NOSIGNAL) >= 0) {
        dropped_ = 0;
      }
    }
  }
  if (onWrite) onWrite(*this, text);
  return true;
}

bool TArkPipeBase::Connected() const {
  std::lock_guard lock(mutex_);
  return connected_;
}

std::string TArkPipeBase::SocketPath() const {
  std::lock_guard lock(mutex_);
  return listener_.path;
}

int TArkPipeBase::InstanceIndex() const {
  std::lock_guard lock(mutex_);
  return listener_.index;
}

void TArkPipeBase::SetOnConnect(TNotifyEvent handler) {
  std::lock_guard lock(mutex_);
  onConnect_ = std::move(handler);
}

void TArkPipeBase::SetOnDisconnect(TNotifyEvent handler) {
  std::lock_guard lock(mutex_);
  onDisconnect_ = std::move(handler);
}

void TArkPipeBase::SetOnRead(TDataEvent handler) {
  std::lock_guard lock(mutex_);
  onRead_ = std::move(handler);
}

void TArkPipeBase::SetOnWrite(TDataEvent handler) {
  std::lock_guard lock(mutex_);
  onWrite_ = std::move(handler);
}

void TArkPipeBase::WakeWorker() {
  const uint64_t one = 1;
  // Fails only when the counter is about to overflow: the worker is awake then.
  [[maybe_unused]] const ssize_t written = ::write(wakeEvent_.Get(), &one, sizeof one);
}

void TArkPipeBase::ClearWake() {
  uint64_t count = 0;
  [[maybe_unused]] const ssize_t got = ::read(wakeEvent_.Get(), &count, sizeof count);
}

TArkPipeServer::TArkPipeServer(const std::string& name, const std::string& directory)
    : TArkPipeBase(name, directory) {
  Listen();
}

TArkDebugOutput::TArkDebugOutput(const std::string& name, const std::string& directory)
    : TArkPipeServer(name, directory) {}

}  // namespace vela
