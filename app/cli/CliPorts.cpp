#include "app/cli/CliPorts.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "serial/PortDiscovery.h"
#include "serial/PortFailures.h"
#include "serial/PortNames.h"

namespace vela::cli {
namespace {

namespace fs = std::filesystem;

std::string Canonical(const std::string& path) {
  std::error_code error;
  const fs::path resolved = fs::canonical(path, error);
  return error ? std::string() : resolved.string();
}

std::string UsbText(const SerialPortInfo& port) {
  std::string text = "USB " + port.vendorId + ":" + port.productId;
  for (const std::string* part : {&port.manufacturer, &port.product}) {
    if (!part->empty()) text += " " + *part;
  }
  if (!port.serial.empty()) text += ", серийный номер " + port.serial;
  return text;
}

std::string PortLine(const SerialPortInfo& port) {
  std::string line = port.name + "  " + port.node;
  if (!port.byId.empty()) line += "  by-id " + port.byId;
  if (port.usb) line += "  " + UsbText(port);
  if (!port.description.empty()) line += "  " + port.description;
  if (port.accessible) return line + "  доступ есть";
  const std::string ownership = NodeOwnership(port.node);
  return line + "  нет доступа" + (ownership.empty() ? "" : " (" + ownership + ")");
}

}  // namespace

int RunPortsCommand() {
  const std::vector<SerialPortInfo> ports = ListSerialPorts();
  if (ports.empty()) std::puts("Последовательные порты не найдены.");
  std::vector<std::string> advice;
  for (const SerialPortInfo& port : ports) {
    std::puts(PortLine(port).c_str());
    if (port.accessible) continue;
    std::string text = AccessAdvice(port.node);
    if (text.empty())
      text = "Порт " + port.name + " без доступа: проверьте права на " + port.node + ".";
    advice.push_back(std::move(text));
  }
  // What to do, once per node, after the list.
  for (const std::string& text : advice) std::puts(text.c_str());
  std::fflush(stdout);
  return 0;
}

std::string PortOfArgument(const std::string& argument) {
  if (argument.empty() || argument[0] != '/') return argument;
  const std::string device = Canonical(argument);
  if (device.empty()) return argument;  // opening it tells what is wrong
  for (const SerialPortInfo& port : ListSerialPorts()) {
    if (Canonical(port.node) == device) return port.name;
  }
  return argument;
}

std::vector<std::string> PortsInPreferredOrder() {
  std::vector<SerialPortInfo> ports = ListSerialPorts();
  std::stable_partition(ports.begin(), ports.end(), [](const auto& port) { return port.usb; });
  std::vector<std::string> names;
  for (const SerialPortInfo& port : ports) names.push_back(port.name);
  return names;
}

std::string PortInUse(const std::string& portName) {
  const std::string device = Canonical(DevicePathOfPort(portName));
  return PortAndDevice(portName, device.empty() ? DevicePathOfPort(portName) : device);
}

}  // namespace vela::cli
