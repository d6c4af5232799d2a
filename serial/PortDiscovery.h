#pragma once
// The serial ports of this computer, found without opening any device (so
// no DTR or RTS pulse reaches an idle line): the UARTs and USB adapters the
// kernel lists in sysfs, and the links of the ports folder (PortNames.h).
// On Windows: the COM devices the system names (QueryDosDevice), with their
// names from the device manager where it has them.
//
// A USB adapter with a /dev/serial/by-id name keeps its COM number across
// unplugging and enumeration order: the first time it is seen, a link
// COM<n> -> /dev/serial/by-id/<name> is made in the ports folder, and from
// then on the adapter is listed under that link's name only.

#include <cstddef>
#include <string>
#include <vector>

namespace vela {

// Where discovery looks. The defaults are the running system's; tests give a
// fixture tree, and so may VELALINK_SYSFS_ROOT (the folder that holds sys/
// and dev/ of a fixture).
struct DiscoveryRoots {
  std::string classTty = "/sys/class/tty";
  std::string devChar = "/sys/dev/char";
  std::string dev = "/dev";
  std::string byId = "/dev/serial/by-id";
};
DiscoveryRoots DefaultDiscoveryRoots();

struct SerialPortInfo {
  std::string name;      // COM<n>
  std::string node;      // the device node: /dev/ttyUSB0, /dev/pts/3
  std::string byId;      // the /dev/serial/by-id name, empty when there is none
  std::string vendorId;  // USB: idVendor, idProduct as the kernel gives them
  std::string productId;
  std::string manufacturer;
  std::string product;
  std::string serial;
  std::string description;  // Windows: the device manager's name for it
  bool usb = false;
  bool accessible = true;  // this user may read and write the node
};

// The window's port list item: the name, the product of a USB adapter and the
// device node, marked when this user may not open it:
// "COM33 — FT232R USB UART (ttyUSB0)", "COM1 (ttyS0, нет доступа)".
std::string PortListItem(const SerialPortInfo& port);
// The port name an item of that list stands for (a name has no space).
std::string PortNameOfItem(const std::string& item);
// The port to offer first: one this user may open, a USB adapter before the
// others (the device is usually reached through one); an index into ports,
// 0 when none may be opened.
size_t PreferredPortIndex(const std::vector<SerialPortInfo>& ports);

// The names among the system's device names that stand for COM ports ("COM"
// in any case, then a digit), sorted by number.
std::vector<std::string> ComDeviceNames(const std::vector<std::string>& deviceNames);

// The ports present, sorted by number; makes the remembered links as needed.
std::vector<SerialPortInfo> ListSerialPorts(const DiscoveryRoots& roots);
std::vector<SerialPortInfo> ListSerialPorts();

}  // namespace vela
