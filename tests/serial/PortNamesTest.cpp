#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "serial/PortNames.h"
#include "tests/serial/PtyPair.h"

namespace vela {
namespace {

using testing::PortsFolder;
using testing::PtyPair;

struct DeviceCase {
  const char* path;
  int number;  // -1: no name by the rule
};

class DeviceNumberTest : public ::testing::TestWithParam<DeviceCase> {};

TEST_P(DeviceNumberTest, TheRuleNamesEachFamilyInItsOwnRange) {
  const auto number = ComNumberOfDevice(GetParam().path);
  EXPECT_EQ(number.value_or(-1), GetParam().number);
  if (number) {
    PortsFolder emptyFolder;
    EXPECT_EQ(DevicePathOfPort(ComPortName(*number)), GetParam().path);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Devices, DeviceNumberTest,
    ::testing::Values(DeviceCase{"/dev/ttyS0", 1}, DeviceCase{"/dev/ttyS31", 32},
                      DeviceCase{"/dev/ttyS32", -1}, DeviceCase{"/dev/ttyUSB0", 33},
                      DeviceCase{"/dev/ttyUSB31", 64}, DeviceCase{"/dev/ttyACM0", 65},
                      DeviceCase{"/dev/ttyACM31", 96}, DeviceCase{"/dev/tty1", -1},
                      DeviceCase{"/dev/ttyUSB", -1}, DeviceCase{"/dev/ttyUSBx", -1},
                      DeviceCase{"/dev/pts/3", -1}, DeviceCase{"/tmp/ttyS0", -1}));

TEST(PortNames, NumbersBeyondTheRuleNeedALink) {
  PortsFolder folder;
  EXPECT_EQ(DevicePathOfPort("COM97"), "");
  EXPECT_EQ(DevicePathOfPort("COM0"), "");
  EXPECT_EQ(DevicePathOfPort("COMxx"), "");
  folder.Link("COM97", "/dev/null");
  EXPECT_EQ(DevicePathOfPort("COM97"), folder.Path() + "/COM97");
}

TEST(PortNames, ALinkOverridesTheRule) {
  PortsFolder folder;
  folder.Link("COM1", "/dev/pts/9");
  EXPECT_EQ(DevicePathOfPort("COM1"), folder.Path() + "/COM1");
}

TEST(PortNames, TheFolderComesFromTheEnvironment) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string savedConfig = saved ? saved : "";
  unsetenv("VELALINK_PORTS_DIR");
  setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(PortsDirectory(), "/cfg/velalink/ports");
  unsetenv("XDG_CONFIG_HOME");
  setenv("HOME", "/home/op", 1);
  EXPECT_EQ(PortsDirectory(), "/home/op/.config/velalink/ports");
  setenv("VELALINK_PORTS_DIR", "/run/ports", 1);
  EXPECT_EQ(PortsDirectory(), "/run/ports");
  unsetenv("VELALINK_PORTS_DIR");
  if (saved) setenv("XDG_CONFIG_HOME", savedConfig.c_str(), 1);
}

struct CompareCase {
  const char* a;
  const char* b;
  int sign;
};

class CompareTest : public ::testing::TestWithParam<CompareCase> {};

TEST_P(CompareTest, NamesCompareByTheirNumbers) {
  const int result = CompareComPortNames(GetParam().a, GetParam().b);
  EXPECT_EQ((result > 0) - (result < 0), GetParam().sign);
}

INSTANTIATE_TEST_SUITE_P(
    Pairs, CompareTest,
    ::testing::Values(CompareCase{"COM2", "COM10", -1}, CompareCase{"COM10", "COM9", 1},
                      CompareCase{"com3", "COM3", 0}, CompareCase{"Com4", "COM3", 1},
                      CompareCase{"COMX", "COM1", 0}, CompareCase{"LPT1", "COM1", 0},
                      CompareCase{"COM", "COM1", 0}));

TEST(EnumComPorts, ListsLinkedTerminalsInNumericOrder) {
  PortsFolder folder;
  PtyPair one, two, ten;
  folder.Link("COM10", ten.SlavePath());
  folder.Link("COM2", two.SlavePath());
  folder.Link("COM1", one.SlavePath());      // over /dev/ttyS0 where there is one
  folder.Link("COMX", one.SlavePath());      // no number: never a port name
  folder.Link("COM103", "/dev/null");        // not a terminal
  folder.Link("COM104", "/dev/pts/999999");  // dangling
  folder.Link("LPT1", two.SlavePath());
  std::vector<std::string> ports = EnumComPorts();
  // Real ports of the machine may be listed too; ours keep their order.
  std::erase_if(ports, [](const std::string& name) {
    const int number = ComPortNumber(name);
    return name != "COM1" && name != "COM2" && name != "COM10" && number > 0 && number < 100;
  });
  EXPECT_EQ(ports, (std::vector<std::string>{"COM1", "COM2", "COM10"}));
}

TEST(EnumComPorts, EveryListedNameOpensAsAPortName) {
  PortsFolder folder;
  for (const std::string& name : EnumComPorts()) {
    EXPECT_GE(ComPortNumber(name), 0) << name;
    EXPECT_FALSE(DevicePathOfPort(name).empty()) << name;
  }
}

}  // namespace
}  // namespace vela
