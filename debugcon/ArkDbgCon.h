#pragma once
// The debug console endpoint. The program offers a trace of its work to an
// external viewer (velalink-console) over a Unix-domain SOCK_SEQPACKET socket
// that only the same user may open. Each trace text is one message; while no
// viewer is connected, or while the previous message is still being written,
// texts are dropped: tracing never holds the program up.
//
// A worker thread accepts the viewer, completes writes the socket could not
// take at once, and reads and discards whatever the viewer sends. The handlers
// (all optional) run in the GUI thread through the blocking hand-over.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "debugcon/ConsolePaths.h"
#include "debugcon/ConsoleSocket.h"
#include "debugcon/UniqueFd.h"

struct pollfd;

namespace vela {

class TArkPipeBase {
 public:
  using TNotifyEvent = std::function<void(TArkPipeBase& sender)>;
  using TDataEvent = std::function<void(TArkPipeBase& sender, const std::string& data)>;

  // Data from the viewer reaches OnRead in parts of at most this size.
  static constexpr size_t kReadBufferSize = 4096;
  // A message that begins with this octet is the endpoint's word to a
  // viewer it refuses (another viewer is connected, another user); it is
  // followed by the Russian text, and the endpoint then hangs up.
  static constexpr char kRefusalMark = '\x01';

  TArkPipeBase(const TArkPipeBase&) = delete;
  TArkPipeBase& operator=(const TArkPipeBase&) = delete;
  // Stops the worker, serving its pending hand-overs while it waits, closes
  // the sockets and removes the socket file.
  virtual ~TArkPipeBase();

  // Creates the listening socket when there is none (taking the first free
  // instance name); raises "PIPE уже открыт" while a viewer is connected.
  void Listen();
  // Starts writing text as one message; false when it was dropped (no viewer,
  // empty text, a write still pending) or the write failed.
  bool Send(const std::string& text);

  bool Connected() const;
  // The name given, resolved to the path of instance 0.
  const std::string& PipeName() const { return pipeName_; }
  // The socket this object listens on; empty before Listen.
  std::string SocketPath() const;
  int InstanceIndex() const;

  void SetOnConnect(TNotifyEvent handler);
  void SetOnDisconnect(TNotifyEvent handler);
  void SetOnRead(TDataEvent handler);
  void SetOnWrite(TDataEvent handler);

 protected:
  // name: see ConsoleBasePath; directory: where a plain name goes (the
  // runtime directory when empty). Starts the worker; does not listen yet.
  TArkPipeBase(const std::string& name, const std::string& directory);

 private:
  class Worker;

  void Execute();
  void WakeWorker();
  void ClearWake();
  // Fills entry with the socket to watch; true when it is the viewer's.
  bool WatchList(::pollfd& entry, ::pollfd& listener, bool acceptPaused);
  // False when accepting failed and should pause.
  bool AcceptViewer(int listenFd);
  // A viewer that comes while another is connected is told so and let go.
  void RefuseViewer(int listenFd);
  void ServeViewer(int clientFd, short revents);
  bool ReadFromViewer(int clientFd);
  void Deliver(const std::string& data);
  void CompleteWrite();
  void Disconnect();
  static void HandOver(const std::function<void()>& call);

  const std::string pipeName_;
  UniqueFd wakeEvent_;  // eventfd: Send and the destructor wake the worker

  mutable std::mutex mutex_;  // guards all members below
  ConsoleListener listener_;
  UniqueFd client_;
  bool connected_ = false;
  bool writePending_ = false;
  std::string writeBuffer_;
  uint64_t dropped_ = 0;  // texts the connected viewer missed: it did not read fast enough
  TNotifyEvent onConnect_;
  TNotifyEvent onDisconnect_;
  TDataEvent onRead_;
  TDataEvent onWrite_;

  std::unique_ptr<Worker> worker_;
};

// The endpoint listening from construction on.
class TArkPipeServer : public TArkPipeBase {
 public:
  TArkPipeServer(const std::string& name, const std::string& directory = {});
};

// The debug output the main window creates once at start-up. Construction
// raises TArkException (Russian text) when no console socket can be made.
class TArkDebugOutput : public TArkPipeServer {
 public:
  explicit TArkDebugOutput(const std::string& name = kDebugConsoleName,
                           const std::string& directory = {});
};

}  // namespace vela
