// Bits, hexadecimal text and the device clock format.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "common/ArkCmnUtils.h"
#include "common/DateTime.h"

namespace vela {
namespace {

struct BitCase {
  uint32_t value;
  int index;
  uint32_t bit;
  uint32_t expected;
};

TEST(CmnUtils, SetBitTakesIndexModulo32AndLowestBitOfBit) {
  const BitCase cases[] = {
      {0, 33, 1, 2},
      {0, 1, 1, 2},
      {0xFFFFFFFF, 31, 0, 0x7FFFFFFF},
      {0, 31, 1, 0x80000000},
      {0, 5, 3, 0x20},
      {0xFFFFFFFF, 5, 2, 0xFFFFFFDF},
      {0x12345678, 64, 1, 0x12345679},
  };
  for (const BitCase& c : cases) {
    EXPECT_EQ(SetBit(c.value, c.index, c.bit), c.expected) << c.value << " " << c.index;
    EXPECT_EQ(GetBit(c.expected, c.index), c.bit & 1) << c.value << " " << c.index;
  }
}

TEST(CmnUtils, HexDigitValueAcceptsBothCasesAndRefusesNothing) {
  const std::pair<char, int> cases[] = {{'0', 0},  {'9', 9},  {'A', 10}, {'F', 15},
                                        {'a', 10}, {'f', 15}, {'G', 0},  {'@', 9}};
  for (const auto& [c, value] : cases) EXPECT_EQ(HexDigitValue(c), value) << c;
}

struct HexCase {
  Octets octets;
  const char* hex;
  const char* reversed;
};

TEST(CmnUtils, BytesToHexAndReversed) {
  const HexCase cases[] = {
      {Octets("\x01\xAB", 2), "01AB", "AB01"},
      {Octets("\x00\xFF\x10", 3), "00FF10", "10FF00"},
      {Octets(), "", ""},
  };
  for (const HexCase& c : cases) {
    EXPECT_EQ(BytesToHex(c.octets), c.hex);
    EXPECT_EQ(BytesToHexReversed(c.octets), c.reversed);
    EXPECT_EQ(BytesToHex(c.octets.data(), static_cast<int>(c.octets.size())), c.hex);
  }
  EXPECT_EQ(BytesToHex("\x01", -1), "");
}

TEST(CmnUtils, HexToBytes) {
  const std::pair<const char*, Octets> cases[] = {
      {"0a1", Octets("\x0A", 1)},
      {"", Octets()},
      {"0", Octets()},
      {"ABff", Octets("\xAB\xFF", 2)},
      {"0A1b00", Octets("\x0A\x1B\x00", 3)},
  };
  for (const auto& [text, octets] : cases) EXPECT_EQ(HexToBytes(text), octets) << text;
}

struct SecondsCase {
  uint32_t seconds;
  const char* text;
};

TEST(CmnUtils, SecondsToTextWorkedExamples) {
  const SecondsCase cases[] = {
      {0, "01.01.2000 00:00:00"},           {86399, "01.01.2000 23:59:59"},
      {5097600 - 1, "28.02.2000 23:59:59"}, {5097600, "29.02.2000 00:00:00"},
      {31622400, "01.01.2001 00:00:00"},    {126230400, "01.01.2004 00:00:00"},
      {0xFFFFFFFF, "07.02.2136 06:28:15"},
  };
  for (const SecondsCase& c : cases) EXPECT_EQ(SecondsToText(c.seconds), c.text) << c.seconds;
}

// The whole 32-bit range against the standard library's civil calendar,
// including 2100, which is not a leap year.
TEST(CmnUtils, SecondsToTextAgreesWithCivilCalendar) {
  using namespace std::chrono;
  const sys_seconds epoch = sys_days(year{2000} / January / 1);
  for (uint64_t s = 0; s <= 0xFFFFFFFF; s += 86400ull * 29 + 3607) {
    const sys_seconds at = epoch + seconds(s);
    const year_month_day date(floor<days>(at));
    const hh_mm_ss time(at - floor<days>(at));
    char expected[32];
    std::snprintf(expected, sizeof expected, "%02u.%02u.%04d %02d:%02d:%02d",
                  static_cast<unsigned>(date.day()), static_cast<unsigned>(date.month()),
                  static_cast<int>(date.year()), static_cast<int>(time.hours().count()),
                  static_cast<int>(time.minutes().count()),
                  static_cast<int>(time.seconds().count()));
    ASSERT_EQ(SecondsToText(static_cast<uint32_t>(s)), expected) << s;
  }
  EXPECT_EQ(SecondsToText(3160857600u), "01.03.2100 00:00:00");
  EXPECT_EQ(SecondsToText(3160857600u - 1), "28.02.2100 23:59:59");
}

struct DateTimeCase {
  TDateTime t;
  uint32_t seconds;
};

TEST(CmnUtils, DateTimeToSecondsRoundsHalvesToEven) {
  // 1/256 day is exactly 337.5 seconds and representable next to 36526.
  const DateTimeCase cases[] = {
      {36526.0, 0},
      {36526.0 + 1.0 / 256, 338},   // 337.5 -> 338
      {36526.0 + 3.0 / 256, 1012},  // 1012.5 -> 1012
      {36527.0, 86400},
      {EncodeDateTime(2004, 1, 1), 126230400},
      {EncodeDateTime(2136, 2, 7, 6, 28, 15), 0xFFFFFFFF},
      {EncodeDateTime(2024, 6, 30, 23, 59, 59, 600), 773107200},
  };
  for (const DateTimeCase& c : cases) EXPECT_EQ(DateTimeToSeconds(c.t), c.seconds) << c.t;
}

TEST(CmnUtils, DateTimeToSecondsThenTextGivesTheDate) {
  EXPECT_EQ(SecondsToText(DateTimeToSeconds(EncodeDateTime(2100, 2, 28, 13, 5, 9))),
            "28.02.2100 13:05:09");
}

}  // namespace
}  // namespace vela
