#pragma once
// The four fonts shared by the value cells and the trend plot. Each use sets
// its colour with TFont::WithColor.

#include "ui/Canvas.h"

namespace vela {

// Values and quality marks of the small cells; values of the trend plot.
inline const TFont ValueFont{"Lucida Console", 14, fsRegular, clBlack};
// Labels and units of the small cells; "max: " and "min: " of the trend plot.
inline const TFont LabelFont{"Times New Roman", 16, fsRegular, clBlack};
// Value and quality mark of the enlarged cell.
inline const TFont BigValueFont{"Lucida Console", 36, fsRegular, clBlack};
// Label and unit of the enlarged cell.
inline const TFont BigLabelFont{"Times New Roman", 40, fsRegular, clBlack};

// Background of all cell text, the panel grey.
constexpr TColor kPanelGrey = 0x999999;

}  // namespace vela
