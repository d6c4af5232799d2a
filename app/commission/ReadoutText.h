#pragma once
// The readout as text, for velalink-cli's output and the commissioning
// report: the value cells after a read and the device-side settings after a
// settings read.

#include <string>
#include <vector>

#include "app/Engine.h"
#include "display/ValueTags.h"

namespace vela {

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

}  // namespace vela
