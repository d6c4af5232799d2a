// velalink-console as a child process: what it prints, how it waits for the
// program, how it picks an instance and how it ends.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "common/HeadlessEventLoop.h"
#include "debugcon/ArkDbgCon.h"
#include "tests/debugcon/ConsoleTestSupport.h"

extern char** environ;

namespace vela {
namespace {

using testing::TempDir;

constexpr int kGuardMs = 10000;  // only a guard against a hanging test

// A line reader on one end of a pipe.
class LineReader {
 public:
  explicit LineReader(int fd) : fd_(fd) {}
  ~LineReader() { ::close(fd_); }
  std::optional<std::string> Next() {
    for (;;) {
      const size_t end = buffer_.find('\n');
      if (end != std::string::npos) {
        std::string line = buffer_.substr(0, end);
        buffer_.erase(0, end + 1);
        return line;
      }
      pollfd entry{fd_, POLLIN, 0};
      if (::poll(&entry, 1, kGuardMs) <= 0) return std::nullopt;
      char chunk[4096];
      const ssize_t got = ::read(fd_, chunk, sizeof chunk);
      if (got <= 0) return std::nullopt;
      buffer_.append(chunk, static_cast<size_t>(got));
    }
  }

 private:
  int fd_;
  std::string buffer_;
};

// velalink-console started with args and the given XDG_RUNTIME_DIR.
class ViewerProcess {
 public:
  ViewerProcess(const std::vector<std::string>& args, const std::string& runtimeDir) {
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
      throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::vector<std::string> argStrings = {VELALINK_CONSOLE_PATH};
    argStrings.insert(argStrings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : argStrings) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string xdg = "XDG_RUNTIME_DIR=" + runtimeDir;
    std::vector<char*> envp = {xdg.data(), nullptr};
    const int rc =
        ::posix_spawn(&pid_, VELALINK_CONSOLE_PATH, &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    stdout_ = std::make_unique<LineReader>(out[0]);
    stderr_ = std::make_unique<LineReader>(err[0]);
    if (rc != 0) throw std::runtime_error("posix_spawn failed");
  }
  ~ViewerProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  LineReader& Out() { return *stdout_; }
  LineReader& Err() { return *stderr_; }

  // Sends signal and returns the exit status; nullopt when it does not end.
  std::optional<int> StopWith(int signal) {
    ::kill(pid_, signal);
    return Wait();
  }
  std::optional<int> Wait() {
    const auto guard = std::chrono::steady_clock::now() + std::chrono::milliseconds(kGuardMs);
    int status = 0;
    while (::waitpid(pid_, &status, WNOHANG) == 0) {
      if (std::chrono::steady_clock::now() > guard) return std::nullopt;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    pid_ = -1;
    if (!WIFEXITED(status)) return -WTERMSIG(status);
    return WEXITSTATUS(status);
  }

 private:
  pid_t pid_ = -1;
  std::unique_ptr<LineReader> stdout_;
  std::unique_ptr<LineReader> stderr_;
};

class ViewerTest : public ::testing::Test {
 protected:
  bool WaitConnected(TArkPipeBase& output) {
    return loop.RunUntil([&] { return output.Connected(); }, kGuardMs);
  }

  VirtualClock clock;
  HeadlessEventLoop loop{clock};
  TempDir dir;
};

TEST_F(ViewerTest, PrintsEachMessageOnItsOwnLineAndEndsOnSigint) {
  TArkDebugOutput output(kDebugConsoleName, dir.Path());
  ViewerProcess viewer({output.SocketPath()}, dir.Path());
  ASSERT_TRUE(WaitConnected(output));
  const std::vector<std::string> texts = {" Rd: 01040400000000FB84", "    <Связь установлена.>",
                                          "Exc: Таймаут"};
  for (const std::string& text : texts) {
    // The viewer may still be starting to read: a text refused while the
    // previous one is pending is offered again.
    ASSERT_TRUE(loop.RunUntil([&] { return output.Send(text); }, kGuardMs));
  }
  for (const std::string& text : texts) EXPECT_EQ(viewer.Out().Next(), text);
  EXPECT_EQ(viewer.StopWith(SIGINT), 0);
}

TEST_F(ViewerTest, ASocketPathTooLongToReachIsRefusedWithAMessage) {
  ViewerProcess viewer({dir.Path() + "/" + std::string(120, 'a')}, dir.Path());
  const auto line = viewer.Err().Next();
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(line->rfind("Путь сокета длиннее 107 байт, к нему нельзя подключиться: ", 0), 0u)
      << *line;
  EXPECT_EQ(viewer.Wait(), 1);
}

TEST_F(ViewerTest, WaitsForTheProgramAndFollowsItsRestarts) {
  ViewerProcess viewer({}, dir.Path());
  const std::optional<std::string> waiting = viewer.Err().Next();
  ASSERT_TRUE(waiting);
  EXPECT_NE(waiting->find("Ожидание программы VelaLink"), std::string::npos) << *waiting;
  for (int run = 1; run <= 2; ++run) {
    TArkDebugOutput output(kDebugConsoleName, dir.Path());
    ASSERT_TRUE(WaitConnected(output));
    const std::string text = "run " + std::to_string(run);
    ASSERT_TRUE(output.Send(text));
    EXPECT_EQ(viewer.Out().Next(), text);
  }
  EXPECT_EQ(viewer.StopWith(SIGTERM), 0);
}

TEST_F(ViewerTest, InstanceNumberPicksTheSocket) {
  TArkDebugOutput first(kDebugConsoleName, dir.Path());
  TArkDebugOutput second(kDebugConsoleName, dir.Path());
  ViewerProcess viewer({"1"}, dir.Path());
  ASSERT_TRUE(WaitConnected(second));
  EXPECT_FALSE(first.Connected());
  ASSERT_TRUE(second.Send("from the second copy"));
  EXPECT_EQ(viewer.Out().Next(), "from the second copy");
  EXPECT_EQ(viewer.StopWith(SIGINT), 0);
}

TEST_F(ViewerTest, ASecondViewerIsToldSoAndEnds) {
  TArkDebugOutput output(kDebugConsoleName, dir.Path());
  ViewerProcess first({}, dir.Path());
  ASSERT_TRUE(WaitConnected(output));
  ViewerProcess second({}, dir.Path());
  const std::optional<std::string> told = second.Err().Next();
  ASSERT_TRUE(told);
  EXPECT_EQ(told->rfind("Отказано (", 0), 0u) << *told;
  EXPECT_NE(told->find("уже подключена другая консоль"), std::string::npos) << *told;
  EXPECT_EQ(second.Wait(), 1);
  EXPECT_EQ(first.StopWith(SIGINT), 0);
}

TEST_F(ViewerTest, ListShowsTheSocketEachCopyTook) {
  TArkDebugOutput first(kDebugConsoleName, dir.Path());
  TArkDebugOutput second(kDebugConsoleName, dir.Path());
  ViewerProcess list({"--list"}, dir.Path());
  const std::string pid = std::to_string(::getpid());
  EXPECT_EQ(list.Out().Next(), "0  " + first.SocketPath() + "  VelaLink, процесс " + pid);
  EXPECT_EQ(list.Out().Next(), "1  " + second.SocketPath() + "  VelaLink, процесс " + pid);
  EXPECT_EQ(list.Wait(), 0);
}

TEST_F(ViewerTest, WrongArgumentsShowUsage) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"16"}, {"-x"}, {"1", "2"}}) {
    ViewerProcess viewer(args, dir.Path());
    const std::optional<std::string> usage = viewer.Err().Next();
    ASSERT_TRUE(usage);
    EXPECT_NE(usage->find("Использование: velalink-console"), std::string::npos);
    EXPECT_EQ(viewer.Wait(), 2);
  }
}

}  // namespace
}  // namespace vela
