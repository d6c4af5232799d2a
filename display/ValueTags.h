#pragma once
// What a protocol tells about a cell's value beside the value itself: the
// time tag it came with and whether the device marked it invalid. The panel
// hides an invalid value; the script outputs say it is invalid.

#include <array>
#include <string>

#include "display/MeasurementCells.h"

namespace vela {

struct TValueTag {
  std::string time;      // the time tag as text; empty without one
  bool invalid = false;  // the device marked the value invalid
};

using TValueTags = std::array<TValueTag, kSlotCount>;

}  // namespace vela
