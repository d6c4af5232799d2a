#include "serial/PortFailures.h"

#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "common/ArkSysUtils.h"
#include "common/ArkTypes.h"

namespace vela {
namespace {

const char* Hint(int error) {
  switch (error) {
    case EACCES:
    case EPERM:
      return "нет прав на доступ к порту";
    case EBUSY:
      return "порт занят другой программой, например ModemManager";
    case ENOENT:
    case ENXIO:
    case ENODEV:
    case EIO:
      return "адаптер отключён от компьютера";
    case ENOTTY:
      return "устройство не является последовательным портом";
    default:
      return nullptr;
  }
}

std::string GroupName(gid_t gid) {
  char buffer[1024];
  group entry{};
  group* found = nullptr;
  if (getgrgid_r(gid, &entry, buffer, sizeof buffer, &found) == 0 && found) return found->gr_name;
  return std::to_string(gid);
}

}  // namespace

std::string PortErrorText(int error) {
  const char* hint = Hint(error);
  return SystemErrorText(error) + (hint ? std::string(" (") + hint + ")" : std::string());
}

std::string PortAndDevice(const std::string& portName, const std::string& devicePath) {
  if (devicePath.empty() || devicePath == portName) return portName;
  return portName + " (" + devicePath + ")";
}

std::string NodeOwnership(const std::string& devicePath) {
  struct stat status {};
  if (devicePath.empty() || ::stat(devicePath.c_str(), &status) != 0) return {};
  char mode[8];
  std::snprintf(mode, sizeof mode, "%04o", static_cast<unsigned>(status.st_mode & 07777));
  return "группа " + GroupName(status.st_gid) + ", права " + mode;
}

std::string AccessAdvice(const std::string& devicePath) {
  struct stat status {};
  if (devicePath.empty() || ::stat(devicePath.c_str(), &status) != 0) return {};
  const std::string group = GroupName(status.st_gid);
  const std::string owner = "Устройство " + devicePath + " (" + NodeOwnership(devicePath) + ")";
  const bool groupMayUse = (status.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
  if (groupMayUse && status.st_gid != 0) {
    return owner + " открывают члены группы " + group +
           ". Добавьте пользователя в эту группу: sudo usermod -aG " + group +
           " $USER, затем войдите в систему заново.";
  }
  return owner +
         " недоступно и группе. Доступ даёт правило udev или администратор "
         "(sudo chmod 0660 " +
         devicePath + ").";
}

void RaiseOpenFailure(const std::string& portName, const std::string& devicePath, const char* call,
                      int error) {
  std::string message = "Не удалось открыть порт \"" + portName + "\"";
  if (!devicePath.empty() && devicePath != portName) message += " (" + devicePath + ")";
  message += std::string("\r\n ") + call + "(): " + PortErrorText(error);
  if (error == EACCES || error == EPERM) {
    const std::string advice = AccessAdvice(devicePath);
    if (!advice.empty()) message += "\r\n " + advice;
  }
  throw TArkException(message);
}

}  // namespace vela
