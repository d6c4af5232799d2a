#include <algorithm>

#include "serial/PortDiscovery.h"
#include "serial/PortNames.h"

namespace vela {

std::vector<std::string> ComDeviceNames(const std::vector<std::string>& deviceNames) {
  std::vector<std::string> names;
  for (const std::string& name : deviceNames) {
    if (name.size() >= 4 && (name[0] == 'C' || name[0] == 'c') &&
        (name[1] == 'O' || name[1] == 'o') && (name[2] == 'M' || name[2] == 'm') &&
        name[3] >= '0' && name[3] <= '9') {
      names.push_back(name);
    }
  }
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return CompareComPortNames(a, b) < 0;
  });
  return names;
}

std::string PortListItem(const SerialPortInfo& port) {
  return port.accessible ? port.name : port.name + " (нет доступа)";
}

std::string PortNameOfItem(const std::string& item) {
  return item.substr(0, item.find(" ("));
}

std::vector<std::string> EnumComPorts() {
  std::vector<std::string> names;
  for (const SerialPortInfo& port : ListSerialPorts()) names.push_back(port.name);
  return names;
}

}  // namespace vela
