#pragma once
// The viewer of the debug console: connects to the program's console socket,
// prints every message on a line of its own, and waits for the program again
// whenever it is not running. Status lines go to stderr, messages to stdout.

#include <csignal>
#include <string>

namespace vela {

class ConsoleViewer {
 public:
  // waitMask: the signal mask in force while the viewer waits (the stop
  // signals unblocked); stop is set by their handler.
  ConsoleViewer(std::string path, const sigset_t& waitMask, const volatile sig_atomic_t& stop);

  // Runs until stop is set (exit code 0) or stdout fails (1).
  int Run();

 private:
  enum class Outcome { kClosed, kStopped, kOutputFailed };

  bool Pause(int ms);  // false when stopped
  Outcome Serve(int fd);
  bool Print(const std::string& message);

  const std::string path_;
  const sigset_t waitMask_;
  const volatile sig_atomic_t& stop_;
};

// Interval between two attempts to reach a program that is not running.
inline constexpr int kViewerRetryMs = 250;

}  // namespace vela
