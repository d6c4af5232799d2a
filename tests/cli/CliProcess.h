#pragma once
// velalink-cli as a child process: its exit code and what it printed.

#include <sys/types.h>

#include <string>
#include <vector>

namespace vela::test {

struct CliResult {
  int exitCode = -1;
  std::string out, err;
};

// Where the child's standard output goes.
enum class TStdout { File, DevFull, Closed };

class CliProcess {
 public:
  // Starts velalink-cli with args; standard output and error go to files
  // (standard output elsewhere when told).
  explicit CliProcess(const std::vector<std::string>& args, TStdout to = TStdout::File);
  ~CliProcess();
  CliProcess(const CliProcess&) = delete;
  CliProcess& operator=(const CliProcess&) = delete;

  void Signal(int number) const;
  // Waits for the end and collects the output.
  CliResult Wait();
  std::string OutputSoFar() const;
  std::string ErrorsSoFar() const;

 private:
  std::string folder_;
  pid_t pid_ = -1;
};

// Runs it to the end.
CliResult RunCli(const std::vector<std::string>& args, TStdout to = TStdout::File);

}  // namespace vela::test
