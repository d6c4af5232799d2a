#pragma once
// The device's measured values as IEC 60870-5-101 ASDUs: one information
// object per display slot at address slot + 1, coded as the type says (see
// iec101/IecMeasuredTypes.h; normalised values over a full scale of 1000),
// time tags from the device's clock.
// Quantities the device does not measure are left out; a forced out-of-range
// value carries OV, a value marked invalid IV. The values are cut into as
// many ASDUs as the frame limit needs, each with SQ = 0 (the form the
// time-tagged type allows).

#include <cstddef>
#include <cstdint>
#include <set>
#include <vector>

#include "common/ArkTypes.h"
#include "iec101/IecSettings.h"
#include "sim/DeviceModel.h"

namespace vela {

inline constexpr uint8_t kQdsOverflow = 0x01;
inline constexpr uint8_t kQdsInvalid = 0x80;

struct MeasuredAsduSetup {
  uint8_t type = 13;           // a measured-value type; 13 for any other
  uint8_t cause = 2;           // cause of transmission
  uint32_t commonAddress = 1;  // common address of ASDU
  uint8_t quality = 0;         // QDS bits set on every value
  TIecFieldLengths lengths;    // of the line the ASDUs go on
  size_t maxLength = 253;      // longest ASDU one frame can carry
  size_t maxObjects = 0x7F;    // most information objects in one ASDU
  // Input registers of the values marked IV.
  std::set<uint16_t> invalid{};
};

std::vector<Octets> MeasuredAsdus(const DeviceModel& device, const MeasuredAsduSetup& setup);

// Longest ASDU a variable frame carries with the link address length of lengths.
size_t MaxAsduLength(const TIecFieldLengths& lengths);

}  // namespace vela
