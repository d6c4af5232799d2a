// Windows: a COM name is the device itself; there is no device node to map
// it to and no ports folder.

#include "serial/PortNames.h"

namespace vela {

std::string PortsDirectory() {
  return {};
}

std::optional<int> ComNumberOfDevice(const std::string&) {
  return std::nullopt;
}

std::optional<int> ComNumberOfNodeName(const std::string&) {
  return std::nullopt;
}

std::string DevicePathOfPort(const std::string& portName) {
  return portName;
}

}  // namespace vela
