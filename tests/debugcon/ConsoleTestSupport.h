#pragma once
// Helpers of the debug console tests: a private temporary directory and a
// plain viewer written directly on the socket calls.

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

namespace vela::testing {

// mkdtemp directory (mode 0700), removed with its content at the end.
class TempDir {
 public:
  TempDir() {
    char pattern[] = "/tmp/velalink-dbgcon-test-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  const std::string& Path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// A viewer connected with a blocking SOCK_SEQPACKET socket.
class RawViewer {
 public:
  explicit RawViewer(const std::string& path) {
    fd_ = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      ::close(fd_);
      throw std::runtime_error("connect to " + path + ": " + std::strerror(errno));
    }
  }
  ~RawViewer() { Close(); }
  RawViewer(const RawViewer&) = delete;
  RawViewer& operator=(const RawViewer&) = delete;

  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  // The next message; nullopt when none comes within timeoutMs (a guard
  // against a hanging test, not a measured time-out); "<EOF>" at the end.
  std::optional<std::string> Receive(int timeoutMs = 5000) {
    pollfd entry{fd_, POLLIN, 0};
    if (::poll(&entry, 1, timeoutMs) <= 0) return std::nullopt;
    std::string buffer(256 * 1024, '\0');
    const ssize_t got = ::recv(fd_, buffer.data(), buffer.size(), 0);
    if (got <= 0) return std::string("<EOF>");
    buffer.resize(static_cast<size_t>(got));
    return buffer;
  }
  bool HasMessage() {
    pollfd entry{fd_, POLLIN, 0};
    return ::poll(&entry, 1, 0) > 0;
  }
  void SendText(const std::string& text) {
    if (::send(fd_, text.data(), text.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(text.size())) {
      throw std::runtime_error("send failed");
    }
  }

 private:
  int fd_ = -1;
};

}  // namespace vela::testing
