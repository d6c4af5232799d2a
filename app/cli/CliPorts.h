#pragma once
// The serial ports as velalink-cli sees them: the `ports` command, the port
// a --port argument names, and the order in which a port is chosen when none
// is given.

#include <string>
#include <vector>

#include "app/cli/CliOptions.h"
#include "serial/PortDiscovery.h"

namespace vela::cli {

// One line per port, then what to do for each port without access; or the
// ports as records (--format csv, json).
std::string PortsOutput(TOutputFormat format, const std::vector<SerialPortInfo>& ports);
// Prints the ports present; returns the exit code.
int RunPortsCommand(TOutputFormat format);

// A device path given for --port (/dev/ttyUSB0, a by-id link, a pty) as the
// COMn that reaches the same device; the path itself when none does. COMn
// stays as it is.
std::string PortOfArgument(const std::string& argument);

// The port names present, USB adapters first, so that the first is the one
// taken when --port is not given.
std::vector<std::string> PortsInPreferredOrder();

// "COM33 (/dev/ttyUSB0)" for the port a command uses.
std::string PortInUse(const std::string& portName);

}  // namespace vela::cli
