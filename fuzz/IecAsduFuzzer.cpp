// A received ASDU read under each of the 36 field-length settings, alone and
// as the user data of an FT 1.2 frame: every access either answers or raises
// TArkException with its message.

#include "fuzz/FuzzInput.h"
#include "iec101/IecAsdu.h"
#include "iec101/IecPacket.h"
#include "iec101/IecSettings.h"

using namespace vela;

namespace {

// 3 link address lengths x 2 common address lengths x 2 cause lengths x 3
// information object address lengths.
TIecFieldLengths FieldLengths(uint8_t setting) {
  setting %= 36;
  TIecFieldLengths lengths;
  lengths.SetLinkAddressLength(setting % 3);
  lengths.SetCommonAddressLength(1 + (setting / 3) % 2);
  lengths.SetCotLength(1 + (setting / 6) % 2);
  lengths.SetIoaLength(1 + (setting / 12) % 3);
  return lengths;
}

template <typename Access>
void Guarded(Access access) {
  try {
    access();
  } catch (const TArkException&) {
  }
}

void ReadEverything(const TIecFieldLengths& lengths, const Octets& octets) {
  const TArkInAsdu asdu(lengths, octets);
  Guarded([&] { (void)asdu.TypeId(); });
  Guarded([&] { (void)asdu.Vsq(); });
  Guarded([&] { (void)asdu.IsSequence(); });
  Guarded([&] { (void)asdu.ObjectCount(); });
  Guarded([&] { (void)asdu.Cot(); });
  Guarded([&] { (void)asdu.Cause(); });
  Guarded([&] { (void)asdu.IsNegative(); });
  Guarded([&] { (void)asdu.IsTest(); });
  Guarded([&] { (void)asdu.CommonAddress(); });
  Guarded([&] { (void)asdu.ElementCountFor(TArkIecTypeFloatQDS::kSize); });
  Guarded([&] { (void)asdu.GetClockTime().ClockText(); });
  Guarded([&] {
    for (uint32_t index = 0; index < 200; ++index) {
      const auto value = asdu.GetMeasuredValue(index);
      if (!value) break;
      (void)value->element.Value();
      (void)value->element.Invalid();
    }
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  const uint8_t choice = input.Take();
  const TIecFieldLengths lengths = FieldLengths(choice & 0x7F);
  const Octets octets = input.Rest();
  if ((choice & 0x80) == 0) {
    ReadEverything(lengths, octets);
  } else {
    const TArkInPacket packet(lengths, octets);
    if (packet.HasData()) ReadEverything(lengths, packet.UserData());
  }
  return 0;
}
