#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "common/HostInfo.h"

namespace vela {

std::string ComputerName() {
  char name[256] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

std::string UserName() {
  if (const passwd* entry = getpwuid(getuid()); entry && entry->pw_name) return entry->pw_name;
  const char* user = std::getenv("USER");
  return user ? user : "";
}

bool IsTerminal(int standardStream) {
  return isatty(standardStream) == 1;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

}  // namespace vela
