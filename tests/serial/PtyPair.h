#pragma once
// A pseudo-terminal pair for the tests: the port under test opens the slave
// through a COMn link in a private ports folder; the test is the far end.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace vela::testing {

// A fresh ports folder named in VELALINK_PORTS_DIR for the life of the object.
class PortsFolder {
 public:
  PortsFolder() {
    char pattern[] = "/tmp/velalink-ports-XXXXXX";
    if (!mkdtemp(pattern)) throw std::runtime_error("mkdtemp");
    path_ = pattern;
    setenv("VELALINK_PORTS_DIR", path_.c_str(), 1);
  }
  ~PortsFolder() {
    unsetenv("VELALINK_PORTS_DIR");
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  const std::string& Path() const { return path_; }
  void Link(const std::string& name, const std::string& target) const {
    std::filesystem::create_symlink(target, path_ + "/" + name);
  }

 private:
  std::string path_;
};

class PtyPair {
 public:
  PtyPair() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
      throw std::runtime_error("posix_openpt");
    }
    char name[128] = {};
    if (ptsname_r(master_, name, sizeof name) != 0) throw std::runtime_error("ptsname_r");
    slavePath_ = name;
  }
  ~PtyPair() { CloseMaster(); }

  const std::string& SlavePath() const { return slavePath_; }
  int Master() const { return master_; }
  void CloseMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

  // The far end sends.
  void Write(const std::string& data) const {
    size_t done = 0;
    while (done < data.size()) {
      const ssize_t count = ::write(master_, data.data() + done, data.size() - done);
      if (count <= 0) throw std::runtime_error("write to pty master");
      done += static_cast<size_t>(count);
    }
  }

  // The far end receives exactly n octets, or what came within timeoutMs.
  std::string Read(size_t n, int timeoutMs = 2000) const {
    std::string data;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (data.size() < n) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          end - std::chrono::steady_clock::now());
      pollfd fd{master_, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&fd, 1, static_cast<int>(left.count())) <= 0) break;
      char buffer[4096];
      const ssize_t count = ::read(master_, buffer, std::min(sizeof buffer, n - data.size()));
      if (count <= 0) break;
      data.append(buffer, static_cast<size_t>(count));
    }
    return data;
  }

 private:
  int master_ = -1;
  std::string slavePath_;
};

}  // namespace vela::testing
