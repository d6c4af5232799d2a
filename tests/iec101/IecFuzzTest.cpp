// Bad input from the line: random chunks, and random ASDUs, under every
// field-length setting. Only the program's exceptions may come out; the
// sanitizer builds catch any read outside the octets.

#include <gtest/gtest.h>

#include <random>

#include "iec101/IecAsdu.h"
#include "iec101/IecPacket.h"
#include "tests/iec101/IecTestSupport.h"

namespace vela {
namespace {

class IecFuzz : public iectest::IecSettingsTest {
 protected:
  std::mt19937 random{20240611};

  uint32_t Pick(uint32_t low, uint32_t high) {
    return std::uniform_int_distribution<uint32_t>(low, high)(random);
  }

  void RandomLengths() { SetLengths(Pick(0, 2), Pick(1, 2), Pick(1, 2), Pick(1, 3)); }

  // Random octets, often shaped like a frame or an ASDU so that the deeper
  // paths are reached.
  Octets RandomOctets(size_t maxLength) {
    Octets out(Pick(0, static_cast<uint32_t>(maxLength)), '\0');
    for (char& c : out) c = static_cast<char>(Pick(0, 255));
    return out;
  }

  Octets RandomFrame() {
    Octets data = RandomOctets(20);
    if (Pick(0, 3) == 0) return data;
    const uint32_t address = Pick(0, 0xFFFF);
    if (Pick(0, 1) == 0) data.clear();
    try {
      Octets frame = TArkOutPacket::Secondary(lengths_, static_cast<uint8_t>(Pick(0, 15)), address,
                                              Pick(0, 1), Pick(0, 1), data)
                         .Frame();
      if (Pick(0, 2) == 0 && !frame.empty()) frame[Pick(0, frame.size() - 1)] ^= 1;
      return frame;
    } catch (const TArkException&) {
      return data;
    }
  }

  Octets RandomAsdu() {
    static const uint8_t types[] = {13, 14, 100, 103, 0, 255};
    Octets asdu = RandomOctets(40);
    if (asdu.size() >= 2 && Pick(0, 3) != 0) {
      asdu[0] = static_cast<char>(types[Pick(0, 5)]);
      asdu[1] = static_cast<char>((Pick(0, 1) << 7) | Pick(0, 8));
    }
    return asdu;
  }
};

template <class Call>
void OnlyOurExceptions(Call&& call) {
  try {
    call();
  } catch (const TArkException&) {
  }
}

TEST_F(IecFuzz, ReceivedFrames) {
  for (int round = 0; round < 20000; ++round) {
    RandomLengths();
    const TArkInPacket packet(lengths_, RandomFrame());
    RandomLengths();  // the settings may change between parsing and reading
    OnlyOurExceptions([&] { packet.Control(); });
    OnlyOurExceptions([&] { packet.UserData(); });
    OnlyOurExceptions([&] { packet.Prm(); });
    OnlyOurExceptions([&] { packet.Acd(); });
    OnlyOurExceptions([&] { packet.Dfc(); });
    OnlyOurExceptions([&] { packet.Fcb(); });
    OnlyOurExceptions([&] { packet.Fcv(); });
    OnlyOurExceptions([&] { packet.Function(); });
    OnlyOurExceptions([&] { packet.LinkAddress(); });
    OnlyOurExceptions([&] { packet.AddressMatches(Pick(0, 0xFFFF)); });
  }
}

TEST_F(IecFuzz, ReceivedAsdus) {
  for (int round = 0; round < 20000; ++round) {
    RandomLengths();
    const TArkInAsdu asdu(lengths_, RandomAsdu());
    if (Pick(0, 4) == 0) RandomLengths();
    OnlyOurExceptions([&] { asdu.TypeId(); });
    OnlyOurExceptions([&] { asdu.Vsq(); });
    OnlyOurExceptions([&] { asdu.IsSequence(); });
    OnlyOurExceptions([&] { asdu.ObjectCount(); });
    OnlyOurExceptions([&] { asdu.Cot(); });
    OnlyOurExceptions([&] { asdu.Cause(); });
    OnlyOurExceptions([&] { asdu.IsNegative(); });
    OnlyOurExceptions([&] { asdu.IsTest(); });
    OnlyOurExceptions([&] { asdu.CommonAddress(); });
    OnlyOurExceptions([&] { asdu.GetClockTime().ClockText(); });
    for (uint32_t i : {0u, 1u, 2u, 127u, Pick(0, 0xFFFFFFFF)}) {
      OnlyOurExceptions([&] {
        const auto value = asdu.GetMeasuredValue(i);
        if (value) value->element.Invalid();
      });
    }
  }
}

}  // namespace
}  // namespace vela
