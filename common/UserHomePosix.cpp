#include "common/UserHome.h"

#include <pwd.h>
#include <unistd.h>

namespace vela {
namespace {

bool IsUsable(const std::string& home) {
  return home.size() > 1 && home[0] == '/' && home.find_first_not_of('/') != std::string::npos;
}

}  // namespace

std::string UserHome(const std::string& home) {
  if (IsUsable(home)) return home;
  char buffer[4096];
  passwd entry{};
  passwd* user = nullptr;
  if (getpwuid_r(::geteuid(), &entry, buffer, sizeof buffer, &user) == 0 && user &&
      IsUsable(user->pw_dir)) {
    return user->pw_dir;
  }
  return {};
}

}  // namespace vela
