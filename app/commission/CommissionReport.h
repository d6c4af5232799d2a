#pragma once
// The commissioning report of the device the engine has just read once:
// the identification, the settings, the network type, the clock and the
// values, with the computer, the program's own identification and the clock
// offset. The command line's `report` and the window's "протокол
// пусконаладки…" write the same document.

#include <string>

#include "app/Engine.h"
#include "app/commission/ReportDocument.h"
#include "common/DateTime.h"

namespace vela {

struct TReportFacts {
  TDateTime now = 0;
  std::string computer;
  std::string user;
  std::string programName;  // "VelaLink (velalink-cli)"
  std::string programVersion;
  std::string programDigest;
  bool rs485 = false;
};

// The facts of this computer and the running program; throws
// std::runtime_error when the program's digest cannot be worked out.
TReportFacts FactsOfThisComputer(TDateTime now, const std::string& programName, bool rs485);

// The report over the engine's last read once.
TReportDocument CommissionReport(TVelaEngine& engine, const TReportFacts& facts);

// HTML, or Markdown for a name ending in ".md"; false when not written.
bool WriteReport(const std::string& fileName, const TReportDocument& document);

}  // namespace vela
