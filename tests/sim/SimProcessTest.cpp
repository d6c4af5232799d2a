// velasim as a program: its port links, its first lines and its stop.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>

#include <filesystem>

#include "tests/support/VelaSimProcess.h"

namespace vela {
namespace {

namespace fs = std::filesystem;
using test::VelaSimProcess;

TEST(SimProcess, PublishesItsPortsAsLinksAndRemovesThemOnStop) {
  VelaSimProcess sim({"--both", "--com", "5"});
  EXPECT_EQ(sim.ServicePort(), "COM5");
  EXPECT_NE(sim.WorkingPort(), "COM5");
  for (size_t i = 0; i < 2; ++i) {
    const fs::path link =
        fs::path(sim.PortsFolder()) / (i == 0 ? sim.ServicePort() : sim.WorkingPort());
    ASSERT_TRUE(fs::is_symlink(link)) << link;
    EXPECT_EQ(fs::read_symlink(link).string(), sim.DevicePath(i));
    EXPECT_EQ(sim.DevicePath(i).rfind("/dev/pts/", 0), 0u);
  }
  EXPECT_STREQ(std::getenv("VELALINK_PORTS_DIR"), sim.PortsFolder().c_str());
  const int status = sim.Stop();
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  EXPECT_TRUE(fs::is_empty(sim.PortsFolder()));
}

TEST(SimProcess, SharesAFolderWithoutTakingAnotherOnesName) {
  VelaSimProcess first;
  VelaSimProcess second({}, first.PortsFolder());
  EXPECT_NE(second.ServicePort(), first.ServicePort());
  fs::create_symlink("/dev/null", fs::path(first.PortsFolder()) / "COM40");
  EXPECT_THROW(VelaSimProcess({"--com", "40"}, first.PortsFolder()), std::runtime_error);
}

TEST(SimProcess, ReplacesAGivenNumberOnlyWhenItsLinkLeadsNowhere) {
  VelaSimProcess first({"--com", "41"});
  fs::create_symlink("/dev/pts/none", fs::path(first.PortsFolder()) / "COM42");
  VelaSimProcess second({"--com", "42"}, first.PortsFolder());
  EXPECT_EQ(second.ServicePort(), "COM42");
}

TEST(SimProcess, TakesBackTheNumberOfASimulatorThatWasKilled) {
  VelaSimProcess first({"--com", "41"});
  VelaSimProcess killed({"--com", "43"}, first.PortsFolder());
  killed.Stop(SIGKILL);
  // Its link stays behind; its pseudo-terminal's number may be in use again.
  const fs::path link = fs::path(first.PortsFolder()) / "COM43";
  ASSERT_TRUE(fs::is_symlink(link));
  fs::remove(link);
  fs::create_symlink("/dev/null", link);
  VelaSimProcess again({"--com", "43"}, first.PortsFolder());
  EXPECT_EQ(again.ServicePort(), "COM43");
  EXPECT_THROW(VelaSimProcess({"--com", "41"}, first.PortsFolder()), std::runtime_error);
}

TEST(SimProcess, RefusesAMistakenCommandLine) {
  try {
    VelaSimProcess sim({"--speed", "1234"});
    FAIL() << "started";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("--speed"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace vela
