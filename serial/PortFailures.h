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

// "Не удалось открыть порт ..." naming the call that failed.
[[noreturn]] void RaiseOpenFailure(const std::string& portName, const std::string& devicePath,
                                   const char* call, int error);

}  // namespace vela
