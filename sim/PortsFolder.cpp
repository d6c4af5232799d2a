#include "sim/PortsFolder.h"

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "common/ArkTypes.h"
#include "common/UserHome.h"
#include "serial/PortsFolderTrust.h"

namespace vela {
namespace {
constexpr int kHighestNumber = 256;
constexpr int kNumbersPerFamily = 32;  // COM1.. ttyS, COM33.. ttyUSB, COM65.. ttyACM

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string SystemReason() {
  return "ошибка #" + std::to_string(errno) + ": " + std::strerror(errno);
}

void MakeFolders(const std::string& path) {
  size_t at = 0;
  do {
    at = path.find('/', at + 1);
    const std::string part = path.substr(0, at);
    if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) {
      throw TArkException("Не удалось создать папку портов " + part + ", " + SystemReason());
    }
  } while (at != std::string::npos);
}

bool LeadsNowhere(const std::string& link) {
  struct stat target {};
  return stat(link.c_str(), &target) != 0 && errno == ENOENT;
}

// The record of the simulator that published a link: ".COMn.pid" beside it.
std::string OwnerRecord(const std::string& folder, int number) {
  return folder + "/.COM" + std::to_string(number) + ".pid";
}

// True when the link's record names a process that is no longer there: a
// simulator that was killed before it could take its link away.
bool OwnerIsGone(const std::string& folder, int number) {
  std::ifstream record(OwnerRecord(folder, number));
  long pid = 0;
  if (!(record >> pid) || pid <= 0) return false;
  return kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}
}  // namespace

std::string PortsFolderPath() {
  if (const std::string dir = Env("VELALINK_PORTS_DIR"); !dir.empty()) return dir;
  if (const std::string config = Env("XDG_CONFIG_HOME"); config.rfind('/', 0) == 0) {
    return config + "/velalink/ports";
  }
  const std::string home = UserHome(Env("HOME"));
  if (home.empty()) {
    throw TArkException(
        "Не определена папка портов: нет домашнего каталога пользователя; "
        "задайте VELALINK_PORTS_DIR, XDG_CONFIG_HOME или HOME.");
  }
  return home + "/.config/velalink/ports";
}

bool MachineHasSerialPort(int number) {
  const int k = (number - 1) % kNumbersPerFamily;
  switch ((number - 1) / kNumbersPerFamily) {
    case 0: {  // ttyS nodes exist without hardware; the port type tells
      std::ifstream type("/sys/class/tty/ttyS" + std::to_string(k) + "/type");
      int value = 0;
      return type >> value && value != 0;
    }
    case 1:
      return access(("/dev/ttyUSB" + std::to_string(k)).c_str(), F_OK) == 0;
    case 2:
      return access(("/dev/ttyACM" + std::to_string(k)).c_str(), F_OK) == 0;
    default:
      return false;
  }
}

PublishedPort::PublishedPort(const std::string& folder, int number, const std::string& devicePath)
    : folder_(folder), devicePath_(devicePath) {
  MakeFolders(folder_);
  // A link in a folder the programs do not trust would never be used.
  if (const std::string fault = PortsFolderFault(folder_); !fault.empty()) {
    throw TArkException(fault + ".");
  }
  if (number > 0) {
    if (!TryLink(number, true)) {
      throw TArkException("Порт COM" + std::to_string(number) + " в папке " + folder_ +
                          " уже занят");
    }
    return;
  }
  for (int n = 1; n <= kHighestNumber; ++n) {
    if (!MachineHasSerialPort(n) && TryLink(n, false)) return;
  }
  throw TArkException("В папке " + folder_ + " нет свободного имени COM-порта");
}

bool PublishedPort::TryLink(int number, bool replaceDangling) {
  const std::string link = folder_ + "/COM" + std::to_string(number);
  if (symlink(devicePath_.c_str(), link.c_str()) != 0) {
    if (errno != EEXIST) {
      throw TArkException("Не удалось создать ссылку " + link + ", " + SystemReason());
    }
    const bool stale = LeadsNowhere(link) || OwnerIsGone(folder_, number);
    if (!replaceDangling || !stale || unlink(link.c_str()) != 0 ||
        symlink(devicePath_.c_str(), link.c_str()) != 0) {
      return false;
    }
  }
  number_ = number;
  std::ofstream(OwnerRecord(folder_, number)) << getpid() << "\n";
  return true;
}

PublishedPort::~PublishedPort() {
  const std::string link = folder_ + "/" + Name();
  char target[512];
  const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
  if (n > 0 && std::string(target, static_cast<size_t>(n)) == devicePath_) {
    unlink(link.c_str());
    unlink(OwnerRecord(folder_, number_).c_str());
  }
}

}  // namespace vela
