#include <gtest/gtest.h>

#include "sim/LinkSettings.h"
#include "sim/ValueEncoding.h"

namespace vela {
namespace {

struct EncodingCase {
  double value;
  double step;
  bool isSigned;
  int normalisation;
  uint16_t raw;
};

class ValueEncoding : public testing::TestWithParam<EncodingCase> {};

TEST_P(ValueEncoding, GivesTheRegisterTheMasterDecodes) {
  const EncodingCase& c = GetParam();
  EXPECT_EQ(EncodeMeasured(c.value, c.step, c.isSigned, c.normalisation), c.raw)
      << c.value << " step " << c.step << " type " << c.normalisation;
}

INSTANTIATE_TEST_SUITE_P(
    Types, ValueEncoding,
    testing::Values(
        // Type 4 power factors: 7FFFh is zero, FFFFh out of range.
        EncodingCase{0.0, 0.0001, true, 4, 0x7FFF}, EncodingCase{1.0, 0.0001, true, 4, 0xA70F},
        EncodingCase{-1.0, 0.0001, true, 4, 0x58EF}, EncodingCase{3.5, 0.0001, true, 4, 0xFFFF},
        EncodingCase{-3.2767, 0.0001, true, 4, 0x0000},
        EncodingCase{3.2767, 0.0001, true, 4, 0xFFFE},
        // Type 3: two's complement, 8000h marks a signed value out of range.
        EncodingCase{-1.0, 0.0001, true, 3, 0xD8F0}, EncodingCase{3.2768, 0.0001, true, 3, 0x8000},
        EncodingCase{-3.2768, 0.0001, true, 3, 0x8000},
        EncodingCase{-3.2767, 0.0001, true, 3, 0x8001},
        // Unsigned under types 3 and 4: FFFEh is the top, FFFFh the marker.
        EncodingCase{1310.68, 0.02, false, 3, 0xFFFE},
        EncodingCase{1310.70, 0.02, false, 3, 0xFFFF},
        EncodingCase{1310.70, 0.02, false, 4, 0xFFFF}, EncodingCase{230.0, 0.01, false, 4, 23000},
        // Type 2 (and unknown types): plain numbers, saturated, no marker.
        EncodingCase{50.0, 0.001, false, 2, 50000}, EncodingCase{-100.0, 0.2, true, 2, 0xFE0C},
        EncodingCase{7000.0, 0.2, true, 2, 0x7FFF}, EncodingCase{-7000.0, 0.2, true, 2, 0x8000},
        EncodingCase{2000.0, 0.02, false, 2, 0xFFFF}, EncodingCase{-1.0, 0.02, false, 2, 0},
        EncodingCase{3.2768, 0.0001, true, 5, 0x7FFF}));

struct WireCase {
  LinkSettings link;
  int bits;
  int64_t fiftyOneOctetsUs;
};

TEST(LineFormat, BitsPerCharacterFollowProtocolAndFrame) {
  const WireCase cases[] = {
      {{LinkProtocol::ModbusRtu, 1, 2, 0}, 11, 14609},    // 38400 8E1
      {{LinkProtocol::ModbusRtu, 1, 0, 2}, 11, 58437},    // 9600 8N2
      {{LinkProtocol::ModbusAscii, 1, 2, 1}, 10, 13281},  // 38400 7O1
      {{LinkProtocol::ModbusAscii, 1, 6, 2}, 10, 2213},   // 230400 7N2
  };
  for (const WireCase& c : cases) {
    EXPECT_EQ(c.link.Format().BitsPerCharacter(), c.bits);
    EXPECT_EQ(c.link.Format().WireTimeUs(51), c.fiftyOneOctetsUs);
  }
}

TEST(LineFormat, SpeedIndexesAreTheDevicesSeven) {
  const int speeds[] = {9600, 19200, 38400, 57600, 76800, 115200, 230400};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(SpeedOfIndex(i), speeds[i]);
    EXPECT_EQ(IndexOfSpeed(speeds[i]), i);
  }
  EXPECT_EQ(SpeedOfIndex(7), 0);
  EXPECT_EQ(IndexOfSpeed(4800), -1);
}

}  // namespace
}  // namespace vela
