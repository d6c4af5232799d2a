// Checksums against published check values and the Modbus standard's examples.

#include <gtest/gtest.h>

#include <string>

#include "common/ArkTypes.h"
#include "common/Checksums.h"
#include "tests/common/OctetLiterals.h"

namespace vela {
namespace {

using test::Bytes;

struct ChecksumCase {
  const char* name;
  Octets data;
  uint16_t crc16Modbus;
  uint8_t lrc;
  uint8_t sum8;
};

const ChecksumCase kChecksumCases[] = {
    // CRC-16/MODBUS check value of the nine digits.
    {"CheckString", "123456789", 0x4B37, static_cast<uint8_t>(0x100 - 0xDD), 0xDD},
    {"Empty", "", 0xFFFF, 0x00, 0x00},
    // Read 23 input registers from register 1 at address 1.
    {"ReadInput23", Bytes({0x01, 0x04, 0x00, 0x01, 0x00, 0x17}), 0xC4E1, 0xE3, 0x1D},
    // The Modbus serial-line guide's example request (slave 11h, registers 6Bh..6Dh).
    {"GuideExample", Bytes({0x11, 0x03, 0x00, 0x6B, 0x00, 0x03}), 0x8776, 0x7E, 0x82},
    {"SingleZero", Bytes({0x00}), 0x40BF, 0x00, 0x00},
    {"SumWraps", Bytes({0xFF, 0x02}), 0x81C1, 0xFF, 0x01},
};

class ChecksumTest : public testing::TestWithParam<ChecksumCase> {};

TEST_P(ChecksumTest, MatchesKnownValues) {
  const ChecksumCase& c = GetParam();
  const int count = static_cast<int>(c.data.size());
  EXPECT_EQ(Crc16Modbus(c.data.data(), count), c.crc16Modbus);
  EXPECT_EQ(Lrc(c.data.data(), count), c.lrc);
  EXPECT_EQ(Sum8(c.data.data(), count), c.sum8);
}

INSTANTIATE_TEST_SUITE_P(Checksums, ChecksumTest, testing::ValuesIn(kChecksumCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ChecksumTest, NegativeCountGivesInitialValue) {
  const char data[] = "123";
  EXPECT_EQ(Crc16Modbus(data, -1), 0xFFFF);
  EXPECT_EQ(Lrc(data, -5), 0);
  EXPECT_EQ(Sum8(data, 0), 0);
}

TEST(ChecksumTest, CrcOfFrameWithItsCrcIsZero) {
  // Appending the CRC low octet first makes the CRC of the whole frame zero.
  const Octets frame = Bytes({0x01, 0x04, 0x00, 0x01, 0x00, 0x17, 0xE1, 0xC4});
  EXPECT_EQ(Crc16Modbus(frame.data(), static_cast<int>(frame.size())), 0);
}

}  // namespace
}  // namespace vela
