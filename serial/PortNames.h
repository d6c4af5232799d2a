#pragma once
// Port names COM1, COM2, ... and the device nodes behind them.
//
// A name maps to a device node by a fixed rule:
//   /dev/ttyS<k>   is COM<k + 1>    (k 0..31:  COM1..COM32)
//   /dev/ttyUSB<k> is COM<33 + k>   (k 0..31:  COM33..COM64)
//   /dev/ttyACM<k> is COM<65 + k>   (k 0..31:  COM65..COM96)
// A ports folder of symbolic links named COM<n> (COM7 -> /dev/ttyUSB0, or to
// a pseudo-terminal) adds names or overrides the rule for a name. The folder is
// $VELALINK_PORTS_DIR, else $XDG_CONFIG_HOME/velalink/ports, else
// ~/.config/velalink/ports.
// On Windows the names are the system's own COM devices: no rule, no folder.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vela {

// "COM" in upper case followed by a decimal number: the number; else -1.
int ComPortNumber(const std::string& name);

// The decimal number that makes up all of text; nullopt otherwise.
std::optional<int> WholeNumber(std::string_view text);

// "COM%d".
std::string ComPortName(int number);

// Orders two names by their numbers: negative, 0 or positive. Names that are
// not "COM" (any case) followed by a number compare as equal to anything.
int CompareComPortNames(const std::string& a, const std::string& b);

// The ports folder (it need not exist).
std::string PortsDirectory();

// The COM number the fixed rule gives a device node (/dev/ttyUSB0 -> 33).
std::optional<int> ComNumberOfDevice(const std::string& devicePath);
// The same for the node's name alone (ttyUSB0 -> 33).
std::optional<int> ComNumberOfNodeName(const std::string& node);

// The device node for a port name: the ports folder's link of that name when
// there is one, else the fixed rule; a name that is a path ("/dev/ttyUSB0",
// a by-id link) is the device itself; empty when the name maps to nothing.
std::string DevicePathOfPort(const std::string& portName);

// The names of the ports present (PortDiscovery.h), sorted by number; a port
// this user may not open is listed too.
std::vector<std::string> EnumComPorts();

}  // namespace vela
