// The COM ports among the system's device names, in the order of their numbers.

#include <gtest/gtest.h>

#include "serial/PortDiscovery.h"

namespace vela {
namespace {

TEST(ComDeviceNames, KeepsComWithADigitInNumberOrder) {
  const struct {
    std::vector<std::string> devices;
    std::vector<std::string> ports;
  } cases[] = {
      {{"COM10", "COM2", "COM1"}, {"COM1", "COM2", "COM10"}},
      {{"COMX", "COM", "LPT1", "NUL", "PhysicalDrive0", "COM3"}, {"COM3"}},
      {{"com4", "Com12", "COM9"}, {"com4", "COM9", "Com12"}},
      {{}, {}},
  };
  for (const auto& c : cases) EXPECT_EQ(ComDeviceNames(c.devices), c.ports);
}

}  // namespace
}  // namespace vela
