#pragma once
// Ctrl-C (SIGINT) and SIGTERM for a front end without a toolkit: the signal
// handler only writes one octet to a pipe (the self-pipe rule: nothing else
// is safe there); a watcher thread reads it, raises the stop mark and wakes
// the event loop, which then stops the operation in its own thread.

#include <atomic>
#include <thread>

namespace vela::cli {

class TStopSignal {
 public:
  // Installs the handlers; throws TArkException when the pipe cannot be made.
  TStopSignal();
  // Restores the default handlers and ends the watcher.
  ~TStopSignal();
  TStopSignal(const TStopSignal&) = delete;
  TStopSignal& operator=(const TStopSignal&) = delete;

  bool Requested() const { return requested_.load(); }
  int SignalNumber() const { return signal_.load(); }

 private:
  void Watch();

  int readFd_ = -1;
  int writeFd_ = -1;
  std::atomic<bool> requested_{false};
  std::atomic<int> signal_{0};
  std::thread watcher_;
};

}  // namespace vela::cli
