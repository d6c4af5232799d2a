#pragma once
// Ctrl-C (SIGINT), SIGTERM and SIGHUP (the terminal closed) for a front end
// without a toolkit: the signal
// handler only writes one octet to a pipe (the self-pipe rule: nothing else
// is safe there); a watcher thread reads it, raises the stop mark and wakes
// the event loop, which then stops the operation in its own thread.

#include <atomic>
#include <thread>

namespace vela::cli {

// How many times the user asked to stop; a test gives its own count.
class TStopRequests {
 public:
  virtual ~TStopRequests() = default;
  virtual int Count() const = 0;
  bool Requested() const { return Count() > 0; }
};

class TStopSignal : public TStopRequests {
 public:
  // Installs the handlers; throws TArkException when the pipe cannot be made.
  TStopSignal();
  // Restores the default handlers and ends the watcher.
  ~TStopSignal() override;
  TStopSignal(const TStopSignal&) = delete;
  TStopSignal& operator=(const TStopSignal&) = delete;

  // How many signals came: a write stops gently at the first, at once at the second.
  int Count() const override { return count_.load(); }
  int SignalNumber() const { return signal_.load(); }

 private:
  void Watch();

  int readFd_ = -1;
  int writeFd_ = -1;
  std::atomic<int> count_{0};
  std::atomic<int> signal_{0};
  std::thread watcher_;
};

}  // namespace vela::cli
