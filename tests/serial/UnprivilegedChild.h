#pragma once
// Runs a piece of a test as the unprivileged user nobody in a child process
// (CI runs as root; operators do not). The child's text comes back.

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>

namespace vela::testing {

inline constexpr uid_t kNobody = 65534;

// The text body returned in the child; nullopt when the process could not
// drop its privileges. Not root: body runs here, as the user we already are.
inline std::optional<std::string> RunUnprivileged(const std::function<std::string()>& body) {
  if (::geteuid() != 0) return body();
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return std::nullopt;
  const pid_t child = ::fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    ::close(pipeFds[0]);
    if (::setgroups(0, nullptr) != 0 || ::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) {
      ::_exit(3);
    }
    const std::string text = body();
    const ssize_t written = ::write(pipeFds[1], text.data(), text.size());
    ::_exit(written == static_cast<ssize_t>(text.size()) ? 0 : 4);
  }
  ::close(pipeFds[1]);
  std::string text;
  char buffer[512];
  for (ssize_t n; (n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) text.append(buffer, n);
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return text;
}

}  // namespace vela::testing
