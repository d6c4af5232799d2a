#pragma once
// Ctrl-C (SIGINT), SIGTERM and SIGHUP (the terminal closed; on Windows the
// console's Ctrl-C, Ctrl-Break and close) for a front end without a toolkit:
// the platform's watch raises the stop mark from a thread of its own and
// wakes the event loop, which then stops the operation in its own thread.

#include <atomic>

#include "common/StopSignalWatch.h"

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
  // Installs the handlers; throws TArkException when they cannot be set up.
  TStopSignal();
  // Restores the default handlers and ends the watcher.
  ~TStopSignal() override;
  TStopSignal(const TStopSignal&) = delete;
  TStopSignal& operator=(const TStopSignal&) = delete;

  // How many signals came: a write stops gently at the first, at once at the second.
  int Count() const override { return count_.load(); }
  int SignalNumber() const { return signal_.load(); }

 private:
  std::atomic<int> count_{0};
  std::atomic<int> signal_{0};
  TStopSignalWatch watch_;  // last: it calls back into the counts above
};

}  // namespace vela::cli
