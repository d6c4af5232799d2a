#pragma once
// A symbolic link planted by another user: in a world-writable folder with
// the sticky bit (as /tmp), the user nobody makes a link at a name the
// program is about to write, pointing at a file root owns. Only root can
// play both parts; other users skip the tests that need it.

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "tests/serial/UnprivilegedChild.h"

namespace vela::testing {

inline bool CanPlantForeignLinks() {
  return ::geteuid() == 0;
}

// Makes folder world-writable and sticky, then has nobody link name to
// target; true when the link is there.
inline bool PlantForeignLink(const std::filesystem::path& folder,
                             const std::filesystem::path& target,
                             const std::filesystem::path& name) {
  if (!CanPlantForeignLinks() || ::chmod(folder.c_str(), 01777) != 0) return false;
  const auto made = RunUnprivileged([&] {
    return ::symlink(target.c_str(), name.c_str()) == 0 ? std::string("ok") : std::string();
  });
  return made && *made == "ok";
}

}  // namespace vela::testing
