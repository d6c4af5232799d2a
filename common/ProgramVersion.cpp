#include "common/ProgramVersion.h"

#include "common/ArkSysUtils.h"

namespace vela {

std::string ProgramVersionText(const std::string& programName) {
  return programName + " " + FileVersionText(OwnExecutablePath()) + "\n";
}

}  // namespace vela
