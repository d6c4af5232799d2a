#include <cstdlib>

#include "common/UserHome.h"

namespace vela {

// Windows has no $HOME of its own: the profile folder stands in for it.
std::string UserHome(const std::string& home) {
  if (!home.empty()) return home;
  const char* profile = std::getenv("USERPROFILE");
  return profile ? profile : "";
}

}  // namespace vela
