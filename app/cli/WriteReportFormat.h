#pragma once
// What configure and factory print on standard output: the settings the
// device holds after a write, or, when the write ended early, each block's
// state and what the read-back found. JSON with --format json:
//   {"result": "written", "device": {...}}
//   {"result": "partial" | "not-written", "reason": "no-answer",
//    "blocks": [{"block": "SetLinkPrm2", "state": "written"}, ...],
//    "device": {...} | null}

#include <string>
#include <vector>

#include "app/OperationOutcome.h"

namespace vela::cli {

// "written", "partial" (something may have changed in the device) or "not-written".
std::string WriteResultName(const TOperationOutcome& outcome);
// One JSON object, without a line break.
std::string WriteResultJson(const TOperationOutcome& outcome);
// Text lines: one per block, then the device's settings when read back.
std::vector<std::string> WriteReportLines(const TWriteReport& report);

}  // namespace vela::cli
