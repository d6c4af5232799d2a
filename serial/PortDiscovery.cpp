#include "serial/PortDiscovery.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>

#include "serial/PortNames.h"
#include "serial/PortsFolderTrust.h"

namespace vela {
namespace {

namespace fs = std::filesystem;

// Unix98 pseudo-terminal slaves use majors 136..143.
constexpr unsigned kFirstPtsMajor = 136;
constexpr unsigned kLastPtsMajor = 143;
constexpr int kFamilySize = 32;

std::string ReadAttribute(const fs::path& file) {
  std::ifstream in(file);
  std::string value;
  std::getline(in, value);
  while (!value.empty() && (value.back() == '\n' || value.back() == ' ')) value.pop_back();
  return value;
}

fs::path Canonical(const fs::path& path) {
  std::error_code error;
  fs::path resolved = fs::canonical(path, error);
  return error ? fs::path() : resolved;
}

bool MayOpen(const std::string& node) {
  return ::faccessat(AT_FDCWD, node.c_str(), R_OK | W_OK, AT_EACCESS) == 0;
}

// The USB device above a tty's device in sysfs holds its identity.
void ReadUsbIdentity(const fs::path& ttyDevice, SerialPortInfo& port) {
  for (fs::path dir = Canonical(ttyDevice); !dir.empty() && dir != dir.root_path();
       dir = dir.parent_path()) {
    std::error_code error;
    if (!fs::exists(dir / "idVendor", error)) continue;
    port.usb = true;
    port.vendorId = ReadAttribute(dir / "idVendor");
    port.productId = ReadAttribute(dir / "idProduct");
    port.manufacturer = ReadAttribute(dir / "manufacturer");
    port.product = ReadAttribute(dir / "product");
    port.serial = ReadAttribute(dir / "serial");
    return;
  }
}

// by-id link name for every device node it leads to (canonical path).
std::map<fs::path, std::string> ByIdNames(const DiscoveryRoots& roots) {
  std::map<fs::path, std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(roots.byId, error)) {
    const fs::path target = Canonical(entry.path());
    const std::string name = entry.path().filename().string();
    // Several names may lead to one node; the first in order is kept.
    if (!target.empty() && (!names.count(target) || name < names[target])) names[target] = name;
  }
  return names;
}

// A character device that is a terminal: a pseudo-terminal slave, or a
// device the kernel files under the tty class.
bool IsTerminalNode(const fs::path& node, const DiscoveryRoots& roots) {
  struct stat status {};
  if (::stat(node.c_str(), &status) != 0 || !S_ISCHR(status.st_mode)) return false;
  const unsigned deviceMajor = major(status.st_rdev);
  if (deviceMajor >= kFirstPtsMajor && deviceMajor <= kLastPtsMajor) return true;
  const fs::path entry = fs::path(roots.devChar) / (std::to_string(deviceMajor) + ":" +
                                                    std::to_string(minor(status.st_rdev)));
  return Canonical(entry / "subsystem").filename() == "tty";
}

// The serial devices of the naming rule that sysfs lists with a device
// behind them. A legacy 8250 node without a UART has the type 0 (unknown).
std::vector<SerialPortInfo> HardwarePorts(const DiscoveryRoots& roots) {
  std::vector<SerialPortInfo> ports;
  const auto byId = ByIdNames(roots);
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(roots.classTty, error)) {
    const std::string nodeName = entry.path().filename().string();
    const auto number = ComNumberOfNodeName(nodeName);
    std::error_code missing;
    if (!number || !fs::exists(entry.path() / "device", missing)) continue;
    if (nodeName.rfind("ttyS", 0) == 0 && ReadAttribute(entry.path() / "type") == "0") continue;
    SerialPortInfo port;
    port.name = ComPortName(*number);
    port.node = (fs::path(roots.dev) / nodeName).string();
    ReadUsbIdentity(entry.path() / "device", port);
    const fs::path canonicalNode = Canonical(port.node);
    if (const auto it = byId.find(canonicalNode); it != byId.end()) port.byId = it->second;
    port.accessible = MayOpen(port.node);
    ports.push_back(std::move(port));
  }
  return ports;
}

// Name -> link target text of every COM<n> link in the ports folder.
std::map<std::string, std::string> FolderLinks() {
  std::map<std::string, std::string> links;
  if (!PortsFolderTrusted(PortsDirectory())) return links;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(PortsDirectory(), error)) {
    const std::string name = entry.path().filename().string();
    if (ComPortNumber(name) < 0 || !PortsLinkTrusted(entry.path().string())) continue;
    std::error_code notLink;
    links[name] = fs::read_symlink(entry.path(), notLink).string();
  }
  return links;
}

// A number for an adapter seen for the first time: its rule number when no
// link has it, else the first free one of its family.
int FreeNumberFor(const SerialPortInfo& port, const std::map<std::string, std::string>& links,
                  const std::set<std::string>& present) {
  const int ruleNumber = ComPortNumber(port.name);
  const std::string node = fs::path(port.node).filename().string();
  const std::string family = node.substr(0, node.find_first_of("0123456789"));
  const int first = ComNumberOfNodeName(family + "0").value_or(ruleNumber);
  std::vector<int> candidates{ruleNumber};
  for (int number = first; number < first + kFamilySize; ++number) candidates.push_back(number);
  for (const int number : candidates) {
    const std::string name = ComPortName(number);
    // Another adapter present keeps its rule's name free for itself.
    if (!links.count(name) && (number == ruleNumber || !present.count(name))) return number;
  }
  return -1;
}

// Gives each USB adapter with a by-id name the link that keeps its number.
void RememberAdapters(const std::vector<SerialPortInfo>& hardware, const DiscoveryRoots& roots,
                      std::map<std::string, std::string>& links) {
  std::set<std::string> linkedTargets;
  for (const auto& [name, target] : links) linkedTargets.insert(target);
  const auto byIdPath = [&](const SerialPortInfo& port) {
    return (fs::path(roots.byId) / port.byId).string();
  };
  // Rule names still in use: devices that no link names.
  std::set<std::string> present;
  for (const auto& port : hardware) {
    if (port.byId.empty() || !linkedTargets.count(byIdPath(port))) present.insert(port.name);
  }
  for (const auto& port : hardware) {
    if (!port.usb || port.byId.empty()) continue;
    const std::string target = byIdPath(port);
    if (linkedTargets.count(target)) continue;
    const int number = FreeNumberFor(port, links, present);
    if (number < 0) continue;
    std::error_code error;
    if (PortsDirectory().empty()) return;                     // no home: no folder to remember in
    if (!PortsFolderFault(PortsDirectory()).empty()) return;  // not the user's own
    fs::create_directories(PortsDirectory(), error);
    fs::create_symlink(target, fs::path(PortsDirectory()) / ComPortName(number), error);
    // A folder we may not write keeps the rule's name for the adapter.
    if (!error) links[ComPortName(number)] = target;
  }
}

}  // namespace

DiscoveryRoots DefaultDiscoveryRoots() {
  DiscoveryRoots roots;
  const char* fixture = std::getenv("VELALINK_SYSFS_ROOT");
  if (!fixture || !*fixture) return roots;
  const std::string root = fixture;
  return {root + "/sys/class/tty", root + "/sys/dev/char", root + "/dev",
          root + "/dev/serial/by-id"};
}

std::vector<SerialPortInfo> ListSerialPorts(const DiscoveryRoots& roots) {
  const std::vector<SerialPortInfo> hardware = HardwarePorts(roots);
  std::map<std::string, std::string> links = FolderLinks();
  RememberAdapters(hardware, roots, links);
  std::map<std::string, SerialPortInfo> ports;
  std::set<fs::path> linkedNodes;
  for (const auto& [name, target] : links) {
    const fs::path node = Canonical(fs::path(PortsDirectory()) / name);
    if (node.empty()) continue;
    SerialPortInfo port;
    bool known = false;
    for (const auto& device : hardware) {
      if (Canonical(device.node) == node) port = device, known = true;
    }
    if (!known && !IsTerminalNode(node, roots)) continue;
    port.name = name;
    port.node = node.string();
    port.accessible = MayOpen(port.node);
    linkedNodes.insert(node);
    ports[name] = std::move(port);
  }
  // A device reached through a link goes by the link's name only; a link
  // hides the rule's name even when its device is absent.
  for (const auto& device : hardware) {
    if (links.count(device.name) || linkedNodes.count(Canonical(device.node))) continue;
    ports[device.name] = device;
  }
  std::vector<SerialPortInfo> list;
  for (auto& [name, port] : ports) list.push_back(std::move(port));
  std::stable_sort(list.begin(), list.end(), [](const auto& a, const auto& b) {
    return CompareComPortNames(a.name, b.name) < 0;
  });
  return list;
}

std::vector<SerialPortInfo> ListSerialPorts() {
  return ListSerialPorts(DefaultDiscoveryRoots());
}

}  // namespace vela
