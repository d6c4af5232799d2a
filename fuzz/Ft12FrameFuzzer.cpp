// One received chunk recognised as an FT 1.2 frame under each link address
// length: recognition never fails, and every field the frame claims to carry
// can be read.

#include "fuzz/FuzzInput.h"
#include "iec101/IecPacket.h"
#include "iec101/IecSettings.h"

using namespace vela;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  fuzz::FuzzInput input(data, size);
  TIecFieldLengths lengths;
  lengths.SetLinkAddressLength(input.Take() % 3);
  const TArkInPacket packet(lengths, input.Rest());
  if (packet.HasControl()) {
    (void)packet.Control();
    (void)packet.Function();
    if (lengths.LinkAddressLength() > 0) (void)packet.LinkAddress();  // absent field raises
    (void)packet.AddressMatches(0x1234);
    if (packet.Prm()) {
      (void)packet.Fcb();
      (void)packet.Fcv();
    } else {
      (void)packet.Acd();
      (void)packet.Dfc();
    }
  }
  if (packet.HasData() && packet.UserData().size() > kFt12MaxLength) fuzz::Violated();
  return 0;
}
