// Where the console sockets are made, how instances are numbered, and who may
// open them.

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <optional>
#include <vector>

#include "common/ArkTypes.h"
#include "common/HeadlessEventLoop.h"
#include "debugcon/ArkDbgCon.h"
#include "debugcon/ConsolePaths.h"
#include "tests/debugcon/ConsoleTestSupport.h"

namespace vela {
namespace {

using testing::TempDir;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(::lstat(path.c_str(), &st), 0) << path;
  return st.st_mode;
}

// Keeps XDG_RUNTIME_DIR as it was.
class RuntimeDirEnvironment {
 public:
  RuntimeDirEnvironment() {
    if (const char* value = std::getenv("XDG_RUNTIME_DIR")) saved_ = value;
  }
  ~RuntimeDirEnvironment() {
    if (saved_) {
      ::setenv("XDG_RUNTIME_DIR", saved_->c_str(), 1);
    } else {
      ::unsetenv("XDG_RUNTIME_DIR");
    }
  }

 private:
  std::optional<std::string> saved_;
};

TEST(ConsolePaths, InstancesAreNumberedAfterTheName) {
  EXPECT_EQ(ConsoleInstancePath("/run/user/7/dbg_VelaLink", 0), "/run/user/7/dbg_VelaLink");
  EXPECT_EQ(ConsoleInstancePath("/run/user/7/dbg_VelaLink", 1), "/run/user/7/dbg_VelaLink1");
  EXPECT_EQ(ConsoleInstancePath("/run/user/7/dbg_VelaLink", 15), "/run/user/7/dbg_VelaLink15");
  EXPECT_EQ(ConsoleBasePath("dbg_VelaLink", "/d"), "/d/dbg_VelaLink");
  EXPECT_EQ(ConsoleBasePath("/elsewhere/sock", "/d"), "/elsewhere/sock");
}

TEST(ConsolePaths, RuntimeDirectoryIsUsedOnlyWhenPrivate) {
  RuntimeDirEnvironment keep;
  TempDir privateDir;
  TempDir openDir;
  ::chmod(openDir.Path().c_str(), 0755);
  const std::string fallback = "/tmp/velalink-" + std::to_string(::geteuid());
  struct Case {
    std::optional<std::string> xdg;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {privateDir.Path(), privateDir.Path()},
      {std::nullopt, fallback},
      {openDir.Path(), fallback},
      {"relative/dir", fallback},
      {privateDir / "missing", fallback},
  };
  for (const Case& c : cases) {
    if (c.xdg) {
      ::setenv("XDG_RUNTIME_DIR", c.xdg->c_str(), 1);
    } else {
      ::unsetenv("XDG_RUNTIME_DIR");
    }
    EXPECT_EQ(RuntimeDirectoryPath(), c.expected) << c.xdg.value_or("(unset)");
  }
}

TEST(ConsolePaths, DefaultNameGoesIntoTheRuntimeDirectory) {
  RuntimeDirEnvironment keep;
  TempDir runtime;
  ::setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1);
  TArkDebugOutput output;
  EXPECT_EQ(output.SocketPath(), runtime / "dbg_VelaLink");
}

struct DirectoryCase {
  const char* name;
  void (*prepare)(const std::string& path);
  const char* messagePart;  // nullptr: accepted
};

class PrivateDirectoryTest : public ::testing::TestWithParam<DirectoryCase> {};

TEST_P(PrivateDirectoryTest, IsCreatedOrChecked) {
  TempDir parent;
  const std::string path = parent / "console";
  GetParam().prepare(path);
  struct stat st {};
  const mode_t before = ::lstat(path.c_str(), &st) == 0 ? st.st_mode : 0;
  if (!GetParam().messagePart) {
    EXPECT_NO_THROW(EnsurePrivateDirectory(path));
    EXPECT_TRUE(S_ISDIR(ModeOf(path)));
    EXPECT_EQ(ModeOf(path) & 0777, 0700u);
    EXPECT_TRUE(IsPrivateDirectory(path));
    return;
  }
  try {
    EnsurePrivateDirectory(path);
    FAIL() << "must be refused";
  } catch (const TArkException& e) {
    EXPECT_NE(e.Message().find(GetParam().messagePart), std::string::npos) << e.Message();
  }
  EXPECT_FALSE(IsPrivateDirectory(path));
  if (before != 0) {
    EXPECT_EQ(ModeOf(path), before) << "a refused directory stays as it was";
  }
}

INSTANTIATE_TEST_SUITE_P(
    ConsolePaths, PrivateDirectoryTest,
    ::testing::Values(
        DirectoryCase{"Missing", [](const std::string&) {}, nullptr},
        DirectoryCase{"OwnerOnly", [](const std::string& p) { ::mkdir(p.c_str(), 0700); }, nullptr},
        DirectoryCase{"ReadableByOthers",
                      [](const std::string& p) {
                        ::mkdir(p.c_str(), 0700);
                        ::chmod(p.c_str(), 0755);
                      },
                      "доступен другим пользователям"},
        DirectoryCase{"SymbolicLinkToPrivateDirectory",
                      [](const std::string& p) {
                        ::mkdir((p + "-target").c_str(), 0700);
                        ASSERT_EQ(::symlink((p + "-target").c_str(), p.c_str()), 0);
                      },
                      "недоступен"},
        DirectoryCase{"RegularFile", [](const std::string& p) { std::ofstream(p) << "x"; },
                      "недоступен"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ConsolePaths, DirectoryOfAnotherUserIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a directory away";
  TempDir parent;
  const std::string path = parent / "console";
  ::mkdir(path.c_str(), 0700);
  ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
  try {
    EnsurePrivateDirectory(path);
    FAIL() << "must be refused";
  } catch (const TArkException& e) {
    EXPECT_NE(e.Message().find("принадлежит другому пользователю"), std::string::npos);
  }
}

class ConsoleInstancesTest : public ::testing::Test {
 protected:
  VirtualClock clock;
  HeadlessEventLoop loop{clock};
  TempDir dir;
};

TEST_F(ConsoleInstancesTest, SocketAndDirectoryAreOwnerOnlyWhateverTheUmask) {
  const mode_t previous = ::umask(0);
  const std::string socketDir = dir / "run";
  TArkDebugOutput output(kDebugConsoleName, socketDir);
  ::umask(previous);
  EXPECT_TRUE(S_ISSOCK(ModeOf(output.SocketPath())));
  EXPECT_EQ(ModeOf(output.SocketPath()) & 0777, 0600u);
  EXPECT_EQ(ModeOf(socketDir) & 0777, 0700u);
}

TEST_F(ConsoleInstancesTest, EachCopyTakesTheNextFreeNameUpToSixteen) {
  std::vector<std::unique_ptr<TArkDebugOutput>> outputs;
  for (int i = 0; i < kMaxConsoleInstances; ++i) {
    outputs.push_back(std::make_unique<TArkDebugOutput>(kDebugConsoleName, dir.Path()));
    EXPECT_EQ(outputs.back()->InstanceIndex(), i);
    EXPECT_EQ(outputs.back()->SocketPath(),
              dir / (i == 0 ? std::string("dbg_VelaLink") : "dbg_VelaLink" + std::to_string(i)));
  }
  try {
    TArkDebugOutput seventeenth(kDebugConsoleName, dir.Path());
    FAIL() << "a seventeenth instance must be refused";
  } catch (const TArkException& e) {
    EXPECT_EQ(e.Message(),
              "Все 16 экземпляров отладочной консоли " + (dir / "dbg_VelaLink") + " заняты");
  }
  outputs[5].reset();  // its name is free again
  TArkDebugOutput again(kDebugConsoleName, dir.Path());
  EXPECT_EQ(again.InstanceIndex(), 5);
}

// A socket bound at path and then closed without removing the file, as a
// program that died leaves it; listening when live.
int MakeSocketFile(const std::string& path, bool live) {
  const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
  EXPECT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  if (live) {
    EXPECT_EQ(::listen(fd, 4), 0);
    return fd;
  }
  ::close(fd);
  return -1;
}

struct LeftoverCase {
  const char* name;
  int (*make)(const std::string& path);  // returns an fd to close at the end, or -1
  int expectedIndex;
};

class LeftoverFileTest : public ConsoleInstancesTest,
                         public ::testing::WithParamInterface<LeftoverCase> {};

TEST_P(LeftoverFileTest, DecidesWhetherTheNameIsFree) {
  const std::string first = dir / "dbg_VelaLink";
  const int keep = GetParam().make(first);
  {
    TArkDebugOutput output(kDebugConsoleName, dir.Path());
    EXPECT_EQ(output.InstanceIndex(), GetParam().expectedIndex);
    if (GetParam().expectedIndex == 0) {
      testing::RawViewer viewer(first);
      EXPECT_TRUE(loop.RunUntil([&] { return output.Connected(); }, 5000));
    }
  }
  if (GetParam().expectedIndex != 0) {
    EXPECT_EQ(::access(first.c_str(), F_OK), 0) << "what is not ours stays";
  }
  if (keep >= 0) ::close(keep);
}

INSTANTIATE_TEST_SUITE_P(
    ConsoleInstances, LeftoverFileTest,
    ::testing::Values(LeftoverCase{"StaleSocketIsReused",
                                   [](const std::string& p) { return MakeSocketFile(p, false); },
                                   0},
                      LeftoverCase{"LiveSocketOfAnotherProgramIsSkipped",
                                   [](const std::string& p) { return MakeSocketFile(p, true); }, 1},
                      LeftoverCase{"RegularFileIsSkipped",
                                   [](const std::string& p) {
                                     std::ofstream(p) << "not a socket";
                                     return -1;
                                   },
                                   1}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ConsoleInstancesTest, TooLongAPathIsRefusedInRussian) {
  try {
    TArkDebugOutput output(std::string(120, 'n'), dir.Path());
    FAIL() << "must be refused";
  } catch (const TArkException& e) {
    EXPECT_NE(e.Message().find("Слишком длинный путь"), std::string::npos) << e.Message();
  }
}

}  // namespace
}  // namespace vela
