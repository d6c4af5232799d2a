#pragma once
// A reading as the panel takes it, whatever protocol brought it: values by
// slot, each with its quality. The protocols' decoders make readings; the
// presenter shows them.

#include <cstdint>
#include <vector>

#include "display/MeasurementCells.h"

namespace vela {

// Quality flags of one value; none set: a valid value. When several are set,
// the cell shows the first in this order.
enum TReadingQuality : uint8_t {
  rqValid = 0,
  rqAbsent = 0x01,       // the network has no such quantity: the cell is hidden
  rqOverflow = 0x02,     // out of range: "ovf"
  rqSubstituted = 0x04,  // "sub"
  rqBlocked = 0x08,      // "blk"
  rqNotTopical = 0x10,   // "NT"
  rqInvalid = 0x20,      // the cell is hidden
};

struct TReadingValue {
  TSlot slot;
  double value = 0.0;
  uint8_t quality = rqValid;  // TReadingQuality flags
};

using TReading = std::vector<TReadingValue>;

}  // namespace vela
