#pragma once
// What velalink-cli prints besides the activity log: the value cells after a
// read and the device-side settings after a settings read.

#include <string>
#include <vector>

#include "app/Engine.h"
#include "app/cli/CliRecords.h"
#include "display/ValueTags.h"

namespace vela::cli {

// One shown cell: a quality mark stands in place of its value.
struct TCellRow {
  std::string name, value, unit, mark;
};
// The cells the panel shows (hidden cells left out), in slot order; with
// tags, a cell hidden because its value is invalid has the mark "inv".
std::vector<TCellRow> CellRows(const TMeasurementCells& cells, const TValueTags* tags = nullptr);
// One "label = value unit" line per cell the panel shows (hidden cells left
// out); a cell without a value says so, a quality mark stands for the value.
std::vector<std::string> CellLines(const TMeasurementCells& cells,
                                   const TValueTags* tags = nullptr);
// Whether any cell shows a measured value.
bool AnyValueShown(const TMeasurementCells& cells);
// The device clock field, when it shows anything.
std::string ClockLine(const TVelaEngine& form);
// The device-side configuration as the settings read left it in the window.
std::vector<std::string> SettingsLines(const TVelaEngine& form);
// The same for scripts: serial, protocol, speed, frame, address, network
// ("3-wire", "4-wire") and the device's IEC 60870-5-101 options, which are
// null unless the device speaks that protocol.
TRecord SettingsRecord(const TVelaEngine& form);
// The columns of SettingsRecord, in its order.
const std::vector<std::string>& SettingsColumns();

}  // namespace vela::cli
