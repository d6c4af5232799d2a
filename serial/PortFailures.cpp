#include "serial/PortFailures.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <vector>

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

// The user's standing in group gid: the groups of this process, then the
// groups the group database gives the user.
TGroupStanding StandingIn(gid_t gid) {
  std::vector<gid_t> session(static_cast<size_t>(std::max(::getgroups(0, nullptr), 0)));
  const int count = ::getgroups(static_cast<int>(session.size()), session.data());
  session.resize(static_cast<size_t>(std::max(count, 0)));
  if (::getegid() == gid || std::find(session.begin(), session.end(), gid) != session.end()) {
    return TGroupStanding::InSession;
  }
  char buffer[4096];
  passwd entry{};
  passwd* user = nullptr;
  if (getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &user) != 0 || !user) {
    return TGroupStanding::Outside;
  }
  std::vector<gid_t> listed(64);
  int listedCount = static_cast<int>(listed.size());
  if (::getgrouplist(user->pw_name, user->pw_gid, listed.data(), &listedCount) < 0) {
    listed.resize(static_cast<size_t>(listedCount));
    ::getgrouplist(user->pw_name, user->pw_gid, listed.data(), &listedCount);
  }
  listed.resize(static_cast<size_t>(std::max(listedCount, 0)));
  return std::find(listed.begin(), listed.end(), gid) != listed.end() ? TGroupStanding::ListedOnly
                                                                      : TGroupStanding::Outside;
}

}  // namespace

std::string PortErrorText(int error) {
  const char* hint = Hint(error);
  return SystemErrorText(error) + (hint ? std::string(" (") + hint + ")" : std::string());
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
  const bool groupMayUse =
      (status.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP) && status.st_gid != 0;
  const TNodeAccess node{devicePath, GroupName(status.st_gid), NodeOwnership(devicePath),
                         groupMayUse};
  return AccessAdviceFor(node, StandingIn(status.st_gid));
}

std::string AccessAdviceFor(const TNodeAccess& node, TGroupStanding standing) {
  const std::string owner = "Устройство " + node.path + " (" + node.ownership + ")";
  if (!node.groupMayUse) {
    return owner +
           " недоступно и группе. Доступ даёт правило udev или администратор "
           "(sudo chmod 0660 " +
           node.path + ").";
  }
  const std::string members = owner + " открывают члены группы " + node.group;
  switch (standing) {
    case TGroupStanding::Outside:
      return members + ". Добавьте пользователя в эту группу: sudo usermod -aG " + node.group +
             " $USER, затем войдите в систему заново.";
    case TGroupStanding::ListedOnly:
      return members + ". Пользователь уже в этой группе, но текущий сеанс начат раньше: " +
             "войдите в систему заново (или выполните newgrp " + node.group + ").";
    case TGroupStanding::InSession:
      break;
  }
  return members + ", и пользователь в ней; доступ закрыт иначе (списки доступа: getfacl " +
         node.path + ").";
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
