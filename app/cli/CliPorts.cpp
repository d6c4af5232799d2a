#include "app/cli/CliPorts.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/cli/CliRecords.h"
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

std::string AdviceFor(const SerialPortInfo& port) {
  if (port.accessible) return "";
  const std::string text = AccessAdvice(port.node);
  return text.empty() ? "Порт " + port.name + " без доступа: проверьте права на " + port.node + "."
                      : text;
}

const std::vector<std::string> kPortColumns = {
    "name",    "node",   "by_id",       "usb",        "vendor_id", "product_id", "manufacturer",
    "product", "serial", "description", "accessible", "ownership", "advice"};

TRecord PortRecord(const SerialPortInfo& port) {
  TRecord record;
  record["name"] = port.name;
  record["node"] = port.node;
  record["by_id"] = TextOrNull(port.byId);
  record["usb"] = port.usb;
  record["vendor_id"] = TextOrNull(port.vendorId);
  record["product_id"] = TextOrNull(port.productId);
  record["manufacturer"] = TextOrNull(port.manufacturer);
  record["product"] = TextOrNull(port.product);
  record["serial"] = TextOrNull(port.serial);
  record["description"] = TextOrNull(port.description);
  record["accessible"] = port.accessible;
  record["ownership"] = TextOrNull(port.accessible ? "" : NodeOwnership(port.node));
  record["advice"] = TextOrNull(AdviceFor(port));
  return record;
}

}  // namespace

std::string PortsOutput(TOutputFormat format, const std::vector<SerialPortInfo>& ports) {
  if (format != TOutputFormat::Text) {
    std::vector<TRecord> records;
    for (const SerialPortInfo& port : ports) records.push_back(PortRecord(port));
    return format == TOutputFormat::Json ? JsonList(records) : CsvRecords(kPortColumns, records);
  }
  std::string text = ports.empty() ? "Последовательные порты не найдены.\n" : "";
  std::string advice;
  for (const SerialPortInfo& port : ports) {
    text += PortLine(port) + "\n";
    if (!port.accessible) advice += AdviceFor(port) + "\n";
  }
  // What to do, once per node, after the list.
  return text + advice;
}

int RunPortsCommand(TOutputFormat format) {
  std::fputs(PortsOutput(format, ListSerialPorts()).c_str(), stdout);
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
