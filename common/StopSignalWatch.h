#pragma once
// The operator's requests to end the program: Ctrl-C, and the terminal or
// console window closing (on Linux also SIGTERM and SIGHUP). Each request
// reaches onStop in a thread of the watch's own, never inside a signal handler.

#include <functional>
#include <memory>

namespace vela {

class TStopSignalWatch {
 public:
  // The argument of onStop is the signal number (SIGINT for Ctrl-C).
  // Throws TArkException when the watch cannot be set up. One at a time.
  explicit TStopSignalWatch(std::function<void(int)> onStop);
  // Restores the default handling; onStop is not called afterwards.
  ~TStopSignalWatch();
  TStopSignalWatch(const TStopSignalWatch&) = delete;
  TStopSignalWatch& operator=(const TStopSignalWatch&) = delete;

 private:
  struct TState;
  std::unique_ptr<TState> state_;
};

}  // namespace vela
