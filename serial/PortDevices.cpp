// Linux: the device node behind a port name, by the fixed rule and the ports
// folder (PortNames.h).

#include <cstdlib>
#include <filesystem>

#include "common/UserHome.h"
#include "serial/PortNames.h"
#include "serial/PortsFolderTrust.h"

namespace vela {
namespace {

namespace fs = std::filesystem;

struct DeviceFamily {
  const char* prefix;  // device node name without the number
  int firstNumber;     // COM number of the node numbered 0
};

// Each family owns 32 numbers, so that a node never takes another's name.
constexpr int kFamilySize = 32;
constexpr DeviceFamily kFamilies[] = {{"ttyS", 1}, {"ttyUSB", 33}, {"ttyACM", 65}};

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

}  // namespace

std::string PortsDirectory() {
  if (std::string dir = Environment("VELALINK_PORTS_DIR"); !dir.empty()) return dir;
  if (std::string config = Environment("XDG_CONFIG_HOME"); config.rfind('/', 0) == 0) {
    return config + "/velalink/ports";
  }
  const std::string home = UserHome(Environment("HOME"));
  return home.empty() ? std::string() : home + "/.config/velalink/ports";
}

std::optional<int> ComNumberOfDevice(const std::string& devicePath) {
  const fs::path path(devicePath);
  if (path.parent_path() != "/dev") return std::nullopt;
  return ComNumberOfNodeName(path.filename().string());
}

std::optional<int> ComNumberOfNodeName(const std::string& node) {
  for (const DeviceFamily& family : kFamilies) {
    const std::string_view prefix(family.prefix);
    if (node.size() <= prefix.size() || node.compare(0, prefix.size(), prefix) != 0) continue;
    const auto index = WholeNumber(std::string_view(node).substr(prefix.size()));
    if (index && *index < kFamilySize) return family.firstNumber + *index;
  }
  return std::nullopt;
}

std::string DevicePathOfPort(const std::string& portName) {
  if (portName.size() > 1 && portName[0] == '/') return portName;
  if (ComPortNumber(portName) < 0) return "";
  std::error_code error;
  if (const std::string folder = PortsDirectory(); !folder.empty()) {
    const fs::path link = fs::path(folder) / portName;
    const bool present = fs::is_symlink(link, error) || fs::exists(link, error);
    if (present && PortsFolderTrusted(folder) && PortsLinkTrusted(link.string())) {
      return link.string();
    }
  }
  const int number = ComPortNumber(portName);
  for (const DeviceFamily& family : kFamilies) {
    const int index = number - family.firstNumber;
    if (index >= 0 && index < kFamilySize)
      return "/dev/" + std::string(family.prefix) + std::to_string(index);
  }
  return "";
}

}  // namespace vela
