#include "iec101/IecSettings.h"

#include <atomic>
#include <cstdio>

#include "common/ArkTypes.h"
#include "iec101/IecMessages.h"

namespace vela {
namespace {

// Atomic only so that a reader on another thread never sees a torn value;
// the settings are changed while no exchange runs.
std::atomic<uint32_t> linkAddressLength{1};
std::atomic<uint32_t> commonAddressLength{1};
std::atomic<uint32_t> cotLength{1};
std::atomic<uint32_t> ioaLength{2};

void Store(std::atomic<uint32_t>& setting, uint32_t value, uint32_t low, uint32_t high,
           const char* message) {
  if (value < low || value > high) throw TArkException(message);
  setting = value;
}

}  // namespace

uint32_t LinkAddressLength() {
  return linkAddressLength;
}
uint32_t CommonAddressLength() {
  return commonAddressLength;
}
uint32_t CotLength() {
  return cotLength;
}
uint32_t IoaLength() {
  return ioaLength;
}

void SetLinkAddressLength(uint32_t length) {
  Store(linkAddressLength, length, 0, 2, iec_messages::kBadLinkAddressLength);
}
void SetCommonAddressLength(uint32_t length) {
  Store(commonAddressLength, length, 1, 2, iec_messages::kBadCommonAddressLength);
}
void SetCotLength(uint32_t length) {
  Store(cotLength, length, 1, 2, iec_messages::kBadCotLength);
}
void SetIoaLength(uint32_t length) {
  Store(ioaLength, length, 1, 3, iec_messages::kBadIoaLength);
}

uint32_t AsduHeaderLength() {
  return 2 + CotLength() + CommonAddressLength();
}

int ElementCount(int asduLength, bool sequence, int elementSize) {
  const int body = asduLength - static_cast<int>(AsduHeaderLength());
  const int ioa = static_cast<int>(IoaLength());
  if (sequence) return (body - ioa) / elementSize;
  return body / (elementSize + ioa);
}

uint32_t MaxCommonAddress(int commonAddressLength) {
  if (commonAddressLength == 1) return 255;
  if (commonAddressLength == 2) return 65533;
  throw TArkException(iec_messages::kBadCommonAddressLength);
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

void RestoreDefaultIecSettings() {
  linkAddressLength = 1;
  commonAddressLength = 1;
  cotLength = 1;
  ioaLength = 2;
}

}  // namespace vela
