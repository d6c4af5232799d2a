#pragma once
// The IEC 60870-5-101 options of the device's working interface, as the
// device's link register blocks hold them. A value of the main window's
// model, never saved.

#include <cstdint>

#include "iec101/IecSettings.h"

namespace vela {

struct TIecDeviceOptions {
  int32_t LinkAddressLength = 1;    // 0..2 octets
  int32_t CommonAddressLength = 1;  // 1..2 octets
  int32_t CotLength = 1;            // 1..2 octets
  int32_t IoaLength = 2;            // 1..3 octets
  int32_t AsduFormat = 13;          // type identification 13 or 14
  bool CyclicTransmission = false;
  int32_t CyclicInterval = 1000;  // as entered, unit of the device
  int32_t CommonAddress = 1;      // 1..65533

  // The values the factory-defaults operation writes (the start values).
  static TIecDeviceOptions Factory() { return {}; }
  bool operator==(const TIecDeviceOptions&) const = default;
};

// The program's own connection as the device is set up: the four lengths and
// the common address. All four lengths are checked, in the order link
// address, common address, cause, object address; a value out of range
// raises that length's message.
TIecLinkSettings LinkSettingsFrom(const TIecDeviceOptions& options);

}  // namespace vela
