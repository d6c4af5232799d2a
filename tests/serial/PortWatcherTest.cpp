#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

#include "common/HeadlessEventLoop.h"
#include "serial/PortWatcher.h"
#include "tests/serial/PtyPair.h"

namespace vela {
namespace {

namespace fs = std::filesystem;

class PortWatcherTest : public ::testing::Test {
 protected:
  PortWatcherTest() : loop_(SystemClock::Instance()) {
    devices_ = ports_.Path() + "/dev";
    fs::create_directories(devices_);
    watcher_ = std::make_unique<PortWatcher>(devices_, ports_.Path());
    watcher_->OnDeviceArrived = [this](const std::string& path) { arrived_.push_back(path); };
    watcher_->OnDeviceRemoved = [this](const std::string& path) { removed_.push_back(path); };
  }

  bool Await(const std::function<bool()>& done) { return loop_.RunUntil(done, 3000); }

  testing::PortsFolder ports_;
  std::string devices_;
  HeadlessEventLoop loop_;
  std::unique_ptr<PortWatcher> watcher_;
  std::vector<std::string> arrived_;
  std::vector<std::string> removed_;
};

TEST_F(PortWatcherTest, ALinkInThePortsFolderArrivesAndLeaves) {
  ports_.Link("COM150", "/dev/null");
  ASSERT_TRUE(Await([&] { return !arrived_.empty(); }));
  EXPECT_EQ(arrived_[0], ports_.Path() + "/COM150");
  fs::remove(ports_.Path() + "/COM150");
  ASSERT_TRUE(Await([&] { return !removed_.empty(); }));
  EXPECT_EQ(removed_[0], ports_.Path() + "/COM150");
}

TEST_F(PortWatcherTest, OnlySerialNodesAndPortNamesCount) {
  std::ofstream(devices_ + "/sda1").put('x');
  std::ofstream(ports_.Path() + "/notes.txt").put('x');
  std::ofstream(devices_ + "/ttyUSB0").put('x');
  ASSERT_TRUE(Await([&] { return !arrived_.empty(); }));
  loop_.RunFor(50);
  for (const auto& path : arrived_) EXPECT_EQ(path, devices_ + "/ttyUSB0");
  EXPECT_TRUE(removed_.empty());
}

TEST_F(PortWatcherTest, ANewNodeArrivesOnceAfterItsPermissionsAreSet) {
  watcher_ = std::make_unique<PortWatcher>(devices_, ports_.Path(), 100);
  watcher_->OnDeviceArrived = [this](const std::string& path) { arrived_.push_back(path); };
  const std::string node = devices_ + "/ttyUSB3";
  std::ofstream(node).put('x');
  fs::permissions(node, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read |
                            fs::perms::group_write);
  ASSERT_TRUE(Await([&] { return !arrived_.empty(); }));
  loop_.RunFor(150);
  EXPECT_EQ(arrived_, std::vector<std::string>{node});
}

TEST_F(PortWatcherTest, TeardownWithAnEventQueuedEnds) {
  ports_.Link("COM151", "/dev/null");
  watcher_.reset();  // the queued arrival is served and dropped
  EXPECT_TRUE(arrived_.empty());
}

}  // namespace
}  // namespace vela
