#include "iec101/IecDeviceOptions.h"

#include "common/ArkTypes.h"
#include "iec101/IecMessages.h"
#include "iec101/IecSettings.h"

namespace vela {
namespace {

uint32_t expectedCommonAddress = 1;

void Check(int32_t value, int32_t low, int32_t high, const char* message) {
  if (value < low || value > high) throw TArkException(message);
}

}  // namespace

TIecDeviceOptions& IecDeviceOptions() {
  static TIecDeviceOptions options;
  return options;
}

uint32_t ExpectedCommonAddress() {
  return expectedCommonAddress;
}
void SetExpectedCommonAddress(uint32_t address) {
  expectedCommonAddress = address;
}

void ApplyIecDeviceOptionsToConnection(const TIecDeviceOptions& options) {
  Check(options.LinkAddressLength, 0, 2, iec_messages::kBadLinkAddressLength);
  Check(options.CommonAddressLength, 1, 2, iec_messages::kBadCommonAddressLength);
  Check(options.CotLength, 1, 2, iec_messages::kBadCotLength);
  Check(options.IoaLength, 1, 3, iec_messages::kBadIoaLength);
  SetLinkAddressLength(static_cast<uint32_t>(options.LinkAddressLength));
  SetCommonAddressLength(static_cast<uint32_t>(options.CommonAddressLength));
  SetCotLength(static_cast<uint32_t>(options.CotLength));
  SetIoaLength(static_cast<uint32_t>(options.IoaLength));
  SetExpectedCommonAddress(static_cast<uint32_t>(options.CommonAddress));
}

}  // namespace vela
