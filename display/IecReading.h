#pragma once
// IEC 60870-5-101 measured values as a reading: information object address a
// goes to slot a - 1, addresses outside 1..28 are left out, and the QDS flags
// OV, SB, BL, NT and IV become the reading's quality flags.

#include <vector>

#include "display/Reading.h"
#include "iec101/IecAsdu.h"

namespace vela {

TReading IecReading(const std::vector<TArkMeasuredValue>& values);

}  // namespace vela
