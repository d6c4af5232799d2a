#include "tests/cli/CliProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace vela::test {
namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

CliProcess::CliProcess(const std::vector<std::string>& args, TStdout to) {
  char pattern[] = "/tmp/velalink-cli-XXXXXX";
  if (!::mkdtemp(pattern)) throw std::runtime_error("mkdtemp");
  folder_ = pattern;
  std::vector<std::string> all = {VELALINK_CLI_PATH};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  if (to == TStdout::Closed) {
    posix_spawn_file_actions_addclose(&actions, 1);
  } else {
    const std::string out = to == TStdout::DevFull ? "/dev/full" : folder_ + "/out";
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  }
  posix_spawn_file_actions_addopen(&actions, 2, (folder_ + "/err").c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  const int rc = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (rc != 0) throw std::runtime_error("posix_spawn velalink-cli");
}

CliProcess::~CliProcess() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  std::filesystem::remove_all(folder_);
}

void CliProcess::Signal(int number) const {
  ::kill(pid_, number);
}

CliResult CliProcess::Wait() {
  CliResult result;
  int status = 0;
  if (::waitpid(pid_, &status, 0) == pid_) {
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  pid_ = -1;
  result.out = ReadAll(folder_ + "/out");
  result.err = ReadAll(folder_ + "/err");
  return result;
}

std::string CliProcess::OutputSoFar() const {
  return ReadAll(folder_ + "/out");
}

std::string CliProcess::ErrorsSoFar() const {
  return ReadAll(folder_ + "/err");
}

CliResult RunCli(const std::vector<std::string>& args, TStdout to) {
  CliProcess process(args, to);
  return process.Wait();
}

}  // namespace vela::test
