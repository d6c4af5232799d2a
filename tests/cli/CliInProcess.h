#pragma once
// velalink-cli run in this process against simulated devices on a virtual
// clock: what it printed, its exit code and how its last operation ended.

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/OperationOutcome.h"
#include "app/cli/StopSignal.h"
#include "sim/DeviceModel.h"
#include "tests/support/SimLine.h"

namespace vela::test {

struct TCliRun {
  int exitCode = -1;
  std::string out, err;
  std::optional<TOperationOutcome> outcome;
};

// args include --port; devices may be empty (a silent line). setUp may set
// the line's faults before the command starts.
TCliRun RunCliInProcess(const std::vector<std::string>& args,
                        const std::vector<DeviceModel*>& devices, VirtualClock& clock,
                        const std::function<void(TSimLine&)>& setUp = {},
                        const cli::TStopRequests* stop = nullptr);

}  // namespace vela::test
