#pragma once
// The IEC 60870-5-101 options of the device's working interface, as the
// device's link register blocks hold them, and the common address of ASDU the
// program accepts while it is itself connected over IEC 60870-5-101.
// Process-wide, never saved, used from the GUI thread only.

#include <cstdint>

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

TIecDeviceOptions& IecDeviceOptions();

uint32_t ExpectedCommonAddress();
void SetExpectedCommonAddress(uint32_t address);

// Entering IEC mode: copies the four lengths into the field-length settings
// and the common address into ExpectedCommonAddress. All four lengths are
// checked first, so a value out of range raises that setting's message and
// changes nothing.
void ApplyIecDeviceOptionsToConnection(const TIecDeviceOptions& options);

}  // namespace vela
