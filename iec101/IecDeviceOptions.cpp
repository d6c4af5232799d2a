#include "iec101/IecDeviceOptions.h"

#include "common/ArkTypes.h"
#include "iec101/IecMessages.h"

namespace vela {
namespace {

// A negative length is out of range, not a huge unsigned one that happens to
// pass.
uint32_t Length(int32_t value, const char* message) {
  if (value < 0) throw TArkException(message);
  return static_cast<uint32_t>(value);
}

}  // namespace

TIecLinkSettings LinkSettingsFrom(const TIecDeviceOptions& options) {
  TIecLinkSettings link;
  link.lengths.SetLinkAddressLength(
      Length(options.LinkAddressLength, iec_messages::kBadLinkAddressLength));
  link.lengths.SetCommonAddressLength(
      Length(options.CommonAddressLength, iec_messages::kBadCommonAddressLength));
  link.lengths.SetCotLength(Length(options.CotLength, iec_messages::kBadCotLength));
  link.lengths.SetIoaLength(Length(options.IoaLength, iec_messages::kBadIoaLength));
  link.expectedCommonAddress = static_cast<uint32_t>(options.CommonAddress);
  return link;
}

}  // namespace vela
