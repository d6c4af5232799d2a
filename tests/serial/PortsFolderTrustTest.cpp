#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "serial/PortNames.h"
#include "serial/PortsFolderTrust.h"
#include "tests/serial/PtyPair.h"
#include "tests/serial/UnprivilegedChild.h"

namespace vela {
namespace {

using testing::PortsFolder;

// The user looking up COM7 (nobody when the test runs as root) finds a link
// COM7 -> /dev/null in a folder of the given mode; the folder and the link
// are that user's or another's.
struct TrustCase {
  const char* what;
  mode_t folderMode;
  bool folderMine;
  bool linkMine;
  bool linkUsed;      // else the fixed rule's /dev/ttyS6
  const char* fault;  // part of the folder's fault text; "" when none
};

class PortsFolderTrustTest : public ::testing::TestWithParam<TrustCase> {};

TEST_P(PortsFolderTrustTest, OnlyTheUsersOwnFolderAndLinksCount) {
  const TrustCase& c = GetParam();
  const bool root = ::geteuid() == 0;
  if (!root && !(c.folderMine && c.linkMine)) GTEST_SKIP() << "another user's files need root";
  PortsFolder folder;
  folder.Link("COM7", "/dev/null");
  const std::string link = folder.Path() + "/COM7";
  if (root) {
    const uid_t folderOwner = c.folderMine ? testing::kNobody : 0;
    const uid_t linkOwner = c.linkMine ? testing::kNobody : 0;
    ASSERT_EQ(::chown(folder.Path().c_str(), folderOwner, -1), 0);
    ASSERT_EQ(::lchown(link.c_str(), linkOwner, -1), 0);
  }
  ASSERT_EQ(::chmod(folder.Path().c_str(), c.folderMode), 0);
  const auto seen = testing::RunUnprivileged(
      [&] { return DevicePathOfPort("COM7") + "|" + PortsFolderFault(folder.Path()); });
  ASSERT_TRUE(seen.has_value());
  const std::string path = seen->substr(0, seen->find('|'));
  const std::string fault = seen->substr(seen->find('|') + 1);
  EXPECT_EQ(path, c.linkUsed ? link : "/dev/ttyS6");
  if (*c.fault) {
    EXPECT_NE(fault.find(c.fault), std::string::npos) << fault;
  } else {
    EXPECT_EQ(fault, "");
  }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, PortsFolderTrustTest,
    ::testing::Values(TrustCase{"private", 0700, true, true, true, ""},
                      TrustCase{"readable", 0755, true, true, true, ""},
                      TrustCase{"group_writable", 0775, true, true, false, "chmod go-w"},
                      TrustCase{"others_writable", 0757, true, true, false, "chmod go-w"},
                      TrustCase{"shared_sticky", 01777, true, true, false, "chmod go-w"},
                      TrustCase{"foreign_folder", 0755, false, true, false, "VELALINK_PORTS_DIR"},
                      TrustCase{"foreign_link", 0755, true, false, false, ""}),
    [](const auto& info) { return std::string(info.param.what); });

}  // namespace
}  // namespace vela
