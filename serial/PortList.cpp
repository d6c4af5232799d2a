#include <algorithm>

#include "serial/PortDiscovery.h"
#include "serial/PortFailures.h"
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

std::string PortAndDevice(const std::string& portName, const std::string& devicePath) {
  if (devicePath.empty() || devicePath == portName) return portName;
  return portName + " (" + devicePath + ")";
}

std::string PortListItem(const SerialPortInfo& port) {
  // The node as the operator knows it: ttyUSB0, pts/3.
  const size_t dev = port.node.rfind("/dev/");
  std::string node = dev == std::string::npos ? port.node : port.node.substr(dev + 5);
  if (!port.accessible) node += node.empty() ? "нет доступа" : ", нет доступа";
  std::string item = port.name;
  if (!port.product.empty()) item += " — " + port.product;
  return node.empty() ? item : item + " (" + node + ")";
}

std::string PortNameOfItem(const std::string& item) {
  return item.substr(0, item.find(' '));
}

size_t PreferredPortIndex(const std::vector<SerialPortInfo>& ports) {
  const auto first = [&](bool usbOnly) {
    for (size_t i = 0; i < ports.size(); ++i) {
      if (ports[i].accessible && (ports[i].usb || !usbOnly)) return i;
    }
    return ports.size();
  };
  if (const size_t usb = first(true); usb < ports.size()) return usb;
  if (const size_t any = first(false); any < ports.size()) return any;
  return 0;
}

std::vector<std::string> EnumComPorts() {
  std::vector<std::string> names;
  for (const SerialPortInfo& port : ListSerialPorts()) names.push_back(port.name);
  return names;
}

}  // namespace vela
