#include "tests/support/VelaSimProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

extern char** environ;

namespace vela::test {
namespace {
constexpr int kStartTimeoutMs = 10000;

std::string MakeTempFolder() {
  std::string pattern = (std::filesystem::temp_directory_path() / "velasim-XXXXXX").string();
  if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
}
}  // namespace

VelaSimProcess::VelaSimProcess(const std::vector<std::string>& args, const std::string& portsFolder)
    : tempFolder_(MakeTempFolder()),
      portsFolder_(portsFolder.empty() ? tempFolder_ + "/ports" : portsFolder) {
  if (const char* previous = std::getenv("VELALINK_PORTS_DIR")) {
    hadPortsDir_ = true;
    previousPortsDir_ = previous;
  }
  setenv("VELALINK_PORTS_DIR", portsFolder_.c_str(), 1);
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  const std::string errorPath = tempFolder_ + "/stderr";
  posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorPath.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0600);
  std::vector<std::string> argv = {VELASIM_PATH};
  argv.insert(argv.end(), args.begin(), args.end());
  std::vector<char*> pointers;
  for (auto& arg : argv) pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  const int spawned = posix_spawn(&pid_, VELASIM_PATH, &actions, nullptr, pointers.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    pid_ = -1;
    throw std::runtime_error("cannot start " VELASIM_PATH);
  }
  const bool both = std::any_of(args.begin(), args.end(), [](const std::string& a) {
    return a == "--both" || a == "--working";
  });
  try {
    ReadPortLines(out[0], both ? 2 : 1);
  } catch (...) {
    close(out[0]);
    CleanUp();
    throw;
  }
  close(out[0]);
}

void VelaSimProcess::ReadPortLines(int fd, size_t count) {
  std::string text;
  while (static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) < count) {
    pollfd p{fd, POLLIN, 0};
    char chunk[256];
    ssize_t n = 0;
    if (poll(&p, 1, kStartTimeoutMs) <= 0 || (n = read(fd, chunk, sizeof chunk)) <= 0) {
      throw std::runtime_error("velasim printed no port line; stderr: " + ErrorOutput());
    }
    text.append(chunk, static_cast<size_t>(n));
  }
  std::istringstream lines(text);
  std::string port, device;
  while (ports_.size() < count && lines >> port >> device) {
    ports_.push_back(port);
    devices_.push_back(device);
  }
}

std::string VelaSimProcess::ErrorOutput() const {
  std::ifstream file(tempFolder_ + "/stderr");
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

bool VelaSimProcess::SanitizerReported() const {
  const std::string text = ErrorOutput();
  return text.find("Sanitizer") != std::string::npos ||
         text.find("runtime error") != std::string::npos;
}

int VelaSimProcess::Stop(int signal) {
  if (pid_ > 0) {
    kill(pid_, signal);
    while (waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {
    }
    pid_ = -1;
  }
  return status_;
}

VelaSimProcess::~VelaSimProcess() {
  CleanUp();
}

void VelaSimProcess::CleanUp() {
  Stop();
  std::error_code ignored;
  std::filesystem::remove_all(tempFolder_, ignored);
  if (hadPortsDir_) {
    setenv("VELALINK_PORTS_DIR", previousPortsDir_.c_str(), 1);
  } else {
    unsetenv("VELALINK_PORTS_DIR");
  }
}

}  // namespace vela::test
