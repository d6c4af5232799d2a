#pragma once
// The options of the commissioning commands: `find` (the search space and
// the probe time-out), the settings profiles (`settings --save`,
// `configure --from`, `--yes`) and `report --out`.

#include <map>
#include <string>
#include <vector>

#include "app/DeviceSearch.h"

namespace vela::cli {

using vela::TFindOptions;

struct TCommissionOptions {
  TFindOptions find;
  std::string saveFile;     // settings: write the profile here
  std::string profileFile;  // configure: the profile to apply
  bool yes = false;         // configure: no confirmation asked
  std::string reportFile;   // report: .html or .md
};

// The values and flags of the command line, each given with a command it
// belongs to; the command as its word. Throws TCliUsageError.
TCommissionOptions ParseCommissionOptions(const std::string& command,
                                          const std::map<std::string, std::string>& values,
                                          const std::vector<std::string>& flags);

}  // namespace vela::cli
