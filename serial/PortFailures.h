#pragma once
// The operator's messages for failures of the serial line: the system's text
// in the user's language, a short hint for the failures an operator meets,
// and for a refused open the device's group and how to get access.

#include <string>

namespace vela {

// "ошибка #<code>: <system text>" and, for EACCES, EBUSY, ENOENT, ENXIO, EIO
// and the like, " (<hint>)".
std::string PortErrorText(int error);

// "COM33 (/dev/ttyUSB0)"; the name alone when the device is not known or is
// the name itself.
std::string PortAndDevice(const std::string& portName, const std::string& devicePath);

// "группа dialout, права 0660"; empty when the node cannot be examined.
std::string NodeOwnership(const std::string& devicePath);

// For a device the user may not open: who may, and what to do about it;
// empty when the device cannot be examined.
std::string AccessAdvice(const std::string& devicePath);

// Where the user stands to a device's group: outside it, listed in it but
// not in this login session (joined after logging in), or in it now.
enum class TGroupStanding { Outside, ListedOnly, InSession };

// The node as AccessAdvice sees it.
struct TNodeAccess {
  std::string path;
  std::string group;        // its group's name
  std::string ownership;    // NodeOwnership's text
  bool groupMayUse = true;  // the group may read and write, and is not root's
};

// The advice for a node and the user's standing in its group: join the
// group, log in again, or (a node for root alone) a udev rule or chmod.
std::string AccessAdviceFor(const TNodeAccess& node, TGroupStanding standing);

// "Не удалось открыть порт ..." naming the call that failed.
[[noreturn]] void RaiseOpenFailure(const std::string& portName, const std::string& devicePath,
                                   const char* call, int error);

}  // namespace vela
