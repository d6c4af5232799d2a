#include <windows.h>

#include "common/ArkSysUtils.h"
#include "common/ArkTypes.h"
#include "serial/PortFailures.h"

namespace vela {
namespace {

const char* Hint(int error) {
  switch (error) {
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return "порт занят другой программой";
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return "порта нет на этом компьютере или адаптер отключён";
    case ERROR_GEN_FAILURE:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_BAD_COMMAND:
      return "адаптер отключён от компьютера";
    case ERROR_INVALID_FUNCTION:
      return "устройство не является последовательным портом";
    default:
      return nullptr;
  }
}

}  // namespace

std::string PortErrorText(int error) {
  const char* hint = Hint(error);
  return SystemErrorText(error) + (hint ? std::string(" (") + hint + ")" : std::string());
}

// Windows gives COM devices to every user of the machine: nothing to advise.
std::string NodeOwnership(const std::string&) {
  return {};
}

std::string AccessAdvice(const std::string&) {
  return {};
}

void RaiseOpenFailure(const std::string& portName, const std::string& devicePath, const char* call,
                      int error) {
  std::string message = "Не удалось открыть порт \"" + portName + "\"";
  if (!devicePath.empty() && devicePath != portName) message += " (" + devicePath + ")";
  message += std::string("\r\n ") + call + "(): " + PortErrorText(error);
  throw TArkException(message);
}

}  // namespace vela
