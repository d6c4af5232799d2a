#pragma once
// Runs velasim for one test: on a fresh temporary ports folder (which this
// process then uses too, through VELALINK_PORTS_DIR), waiting for the COMn
// lines it prints, and stopping it again (SIGTERM) when the object goes.

#include <sys/types.h>

#include <csignal>
#include <string>
#include <vector>

namespace vela::test {

class VelaSimProcess {
 public:
  // Throws std::runtime_error when velasim does not start or print its lines.
  // portsFolder: share another simulator's folder instead of a fresh one.
  explicit VelaSimProcess(const std::vector<std::string>& args = {},
                          const std::string& portsFolder = {});
  ~VelaSimProcess();
  VelaSimProcess(const VelaSimProcess&) = delete;
  VelaSimProcess& operator=(const VelaSimProcess&) = delete;

  // "COMn" of the service interface, and of the working one with --both.
  const std::string& ServicePort() const { return ports_.at(0); }
  const std::string& WorkingPort() const { return ports_.at(1); }
  const std::string& DevicePath(size_t i = 0) const { return devices_.at(i); }
  const std::string& PortsFolder() const { return portsFolder_; }
  // What velasim wrote to standard error so far (its --trace).
  std::string ErrorOutput() const;
  // True when a sanitizer of an instrumented build reported on velasim.
  bool SanitizerReported() const;
  // Sends the signal and waits; the exit status as waitpid gives it.
  int Stop(int signal = SIGTERM);

 private:
  void ReadPortLines(int fd, size_t count);
  // Stops velasim, removes the folder and restores VELALINK_PORTS_DIR.
  void CleanUp();

  std::string tempFolder_;
  std::string portsFolder_;
  std::string previousPortsDir_;
  bool hadPortsDir_ = false;
  pid_t pid_ = -1;
  int status_ = 0;
  std::vector<std::string> ports_;
  std::vector<std::string> devices_;
};

}  // namespace vela::test
