#pragma once
// The viewer of the debug console: connects to the program's console socket,
// prints every message on a line of its own (its control characters made
// inert), and waits for the program again
// whenever it is not running. Status lines go to stderr, messages to stdout.

#include <csignal>
#include <string>

namespace vela {

class ConsoleViewer {
 public:
  // waitMask: the signal mask in force while the viewer waits (the stop
  // signals unblocked); stop is set by their handler.
  ConsoleViewer(std::string path, const sigset_t& waitMask, const volatile sig_atomic_t& stop);

  // Runs until stop is set (exit code 0), stdout fails, the program
  // refuses this viewer, the socket path is too long to connect to, or the
  // default console folder is not the user's alone (1).
  int Run();

 private:
  enum class Outcome { kClosed, kStopped, kOutputFailed, kRefused, kAccepted };

  bool Pause(int ms);  // false when stopped
  Outcome Serve(int fd);
  // The first message, when the program sends one at once: a refusal is
  // printed and ends the viewer; a trace is printed after "Подключено".
  Outcome Greet(int fd);
  // A socket this user may not reach, or a console folder of another user.
  bool TellAboutOtherUsers(int error);
  bool Print(const std::string& message);

  const std::string path_;
  const sigset_t waitMask_;
  const volatile sig_atomic_t& stop_;
};

// Interval between two attempts to reach a program that is not running.
inline constexpr int kViewerRetryMs = 250;
// How long a new connection is given to be refused before it counts as taken.
inline constexpr int kViewerGreetingMs = 300;

// velalink-console --list: the running copies' sockets and processes.
int ListConsoles(const std::string& basePath);

}  // namespace vela
