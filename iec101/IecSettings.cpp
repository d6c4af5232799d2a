#include "iec101/IecSettings.h"

#include <cstdio>

#include "common/ArkTypes.h"
#include "iec101/IecMessages.h"

namespace vela {
namespace {

// The length when it is within low..high; else the field keeps its value and
// the message is raised.
void SetChecked(uint32_t& field, uint32_t value, uint32_t low, uint32_t high, const char* message) {
  if (value < low || value > high) throw TArkException(message);
  field = value;
}

}  // namespace

void TIecFieldLengths::SetLinkAddressLength(uint32_t length) {
  SetChecked(linkAddress_, length, 0, 2, iec_messages::kBadLinkAddressLength);
}
void TIecFieldLengths::SetCommonAddressLength(uint32_t length) {
  SetChecked(commonAddress_, length, 1, 2, iec_messages::kBadCommonAddressLength);
}
void TIecFieldLengths::SetCotLength(uint32_t length) {
  SetChecked(cot_, length, 1, 2, iec_messages::kBadCotLength);
}
void TIecFieldLengths::SetIoaLength(uint32_t length) {
  SetChecked(ioa_, length, 1, 3, iec_messages::kBadIoaLength);
}

int TIecFieldLengths::ElementCount(int asduLength, bool sequence, int elementSize) const {
  const int body = asduLength - static_cast<int>(AsduHeaderLength());
  const int ioa = static_cast<int>(ioa_);
  if (sequence) return (body - ioa) / elementSize;
  return body / (elementSize + ioa);
}

uint32_t MaxCommonAddress(int commonAddressLength) {
  if (commonAddressLength == 1) return 254;
  if (commonAddressLength == 2) return 65534;
  throw TArkException(iec_messages::kBadCommonAddressLength);
}

void CheckLinkAddressFits(uint32_t linkAddress, int linkAddressLength) {
  if (linkAddressLength == 0) return;
  const uint32_t highest = linkAddressLength == 1 ? 254 : 65534;
  if (linkAddress >= 1 && linkAddress <= highest) return;
  char text[320];
  std::snprintf(text, sizeof text, iec_messages::kLinkAddressDoesNotFit,
                static_cast<unsigned>(linkAddress), linkAddressLength,
                static_cast<unsigned>(highest));
  throw TArkException(text);
}

void CheckCommonAddressFits(uint32_t commonAddress, int commonAddressLength) {
  const uint32_t highest = MaxCommonAddress(commonAddressLength);
  if (commonAddress >= 1 && commonAddress <= highest) return;
  char text[320];
  std::snprintf(text, sizeof text,
                commonAddressLength == 1 ? iec_messages::kCommonAddressDoesNotFitOneOctet
                                         : iec_messages::kCommonAddressDoesNotFitTwoOctets,
                static_cast<unsigned>(commonAddress));
  throw TArkException(text);
}

}  // namespace vela
