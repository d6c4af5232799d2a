#pragma once
// What `find` prints: the command line that reads a device found.

#include <string>
#include <vector>

#include "app/DeviceSearch.h"
#include "app/cli/CliCommissionOptions.h"

namespace vela::cli {

// The search itself lives with the engine (app/DeviceSearch.h), shared with
// the window.
using vela::FoundLine;
using vela::kDeviceAnswerMs;
using vela::kPortGapMs;
using vela::kSchedulingMarginMs;
using vela::ProbeTimeoutMs;
using vela::SearchOrder;
using vela::TLineSetting;
using vela::TProbePoint;

// The velalink-cli command line that reads the device found.
std::string CommandLineFor(const std::string& port, bool rs485, const TLineSetting& setting,
                           const std::string& frameText, int address);

}  // namespace vela::cli
