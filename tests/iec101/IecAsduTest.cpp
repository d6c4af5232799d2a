#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "common/DateTime.h"
#include "iec101/IecAsdu.h"
#include "iec101/IecMessages.h"
#include "tests/iec101/IecTestSupport.h"

namespace vela {
namespace {

using iectest::Hex;
using iectest::MessageOf;

class IecAsdu : public iectest::IecSettingsTest {};

TEST_F(IecAsdu, InterrogationAndClockSyncCommands) {
  EXPECT_EQ(BytesToHex(TArkOutAsdu::CreateInterrogation(lengths_, 6, 1, 20).AsOctets()),
            "64010601000014");

  TArkIecTypeTime time;
  time.FillFrom(EncodeDateTime(2026, 3, 14, 15, 9, 26, 535));
  const Octets sync = TArkOutAsdu::CreateClockSync(lengths_, 6, 1, time).AsOctets();
  ASSERT_EQ(sync.size(), 13u);
  EXPECT_EQ(sync.substr(0, 6), Hex("67 01 06 01 00 00"));
  EXPECT_EQ(sync.substr(6), time.AsOctets());
  // 26535 ms = 67A7h, minute 9, hour 15, day 14, month 3, year 26.
  EXPECT_EQ(BytesToHex(time.AsOctets()), "A767090F0E031A");
}

TEST_F(IecAsdu, CommandLayoutFollowsTheFieldLengths) {
  SetLengths(1, 2, 2, 3);
  EXPECT_EQ(BytesToHex(TArkOutAsdu::CreateInterrogation(lengths_, 6, 0x1234, 20).AsOctets()),
            "6401060034120000"
            "0014");
}

struct MeasuredCase {
  const char* name;
  const char* octets;
  int count;              // objects found, -1: "Некорректный формат ASDU"
  uint32_t addresses[3];  // of the objects found
};

TEST_F(IecAsdu, MeasuredValueElementCounts) {
  // 230.5f = 43 66 80 00 -> 00 80 66 43 on the line.
  const MeasuredCase cases[] = {
      {"SQ0, 2 objects, 18 octets", "0D 02 14 01 0C 00 00806643 00 0D 00 00806643 00", 2, {12, 13}},
      {"SQ0, 19 octets", "0D 02 14 01 0C 00 00806643 00 0D 00 00806643 00 FF", 2, {12, 13}},
      {"SQ0, 17 octets", "0D 02 14 01 0C 00 00806643 00 0D 00 00806643", -1, {}},
      {"SQ1, addresses 5..7",
       "0D 83 14 01 05 00 00806643 00 00806643 00 00806643 00",
       3,
       {5, 6, 7}},
      {"TC, SQ0, 1 object", "0E 01 03 01 01 00 00806643 00 AABBCC", 1, {1}},
      {"TC, element short", "0E 01 03 01 01 00 00806643 00 AABB", -1, {}},
      {"no objects", "0D 00 14 01", 0, {}},
  };
  for (const MeasuredCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TArkInAsdu asdu(lengths_, Hex(c.octets));
    if (c.count < 0) {
      for (uint32_t i : {0u, 1u, 5u}) {
        EXPECT_EQ(MessageOf([&] { asdu.GetMeasuredValue(i); }), iec_messages::kBadAsduFormat);
      }
      continue;
    }
    for (int i = 0; i < c.count; ++i) {
      const auto value = asdu.GetMeasuredValue(static_cast<uint32_t>(i));
      ASSERT_TRUE(value.has_value());
      EXPECT_EQ(value->address, c.addresses[i]);
      EXPECT_FLOAT_EQ(value->element.Value(), 230.5f);
    }
    EXPECT_FALSE(asdu.GetMeasuredValue(static_cast<uint32_t>(c.count)).has_value());
  }
}

TEST_F(IecAsdu, MeasuredValueUnderOtherFieldLengths) {
  SetLengths(1, 2, 2, 3);
  // Header 6: type, VSQ, cause 20 + originator 7, common address 0102h; IOA 010203h.
  const TArkInAsdu asdu(lengths_, Hex("0D 01 14 07 02 01 030201 0000C03F 81"));
  EXPECT_EQ(asdu.Cot(), 0x0714);
  EXPECT_EQ(asdu.Cause(), 20);
  EXPECT_EQ(asdu.CommonAddress(), 0x0102u);
  const auto value = asdu.GetMeasuredValue(0);
  ASSERT_TRUE(value.has_value());
  EXPECT_EQ(value->address, 0x010203u);
  EXPECT_FLOAT_EQ(value->element.Value(), 1.5f);
  EXPECT_TRUE(value->element.Overflow());
  EXPECT_TRUE(value->element.Invalid());
}

TEST_F(IecAsdu, ClockResponse) {
  struct Case {
    const char* octets;
    const char* message;  // nullptr: the time is read
  };
  const Case cases[] = {
      {"67 01 07 01 00 00 5FEA 3B 17 1F 0C 63", nullptr},
      {"67 81 07 01 00 00 5FEA 3B 17 1F 0C 63", nullptr},  // SQ is not looked at
      {"67 02 07 01 00 00 5FEA 3B 17 1F 0C 63 5FEA 3B 17 1F 0C 63 00 00",
       iec_messages::kBadAsduFormat},
      {"67 01 07 01 00 00 5FEA 3B 17 1F 0C", iec_messages::kBadAsduFormat},
      {"0D 01 07 01 00 00 5FEA 3B 17 1F 0C 63", iec_messages::kWrongInterpretation},
  };
  for (const Case& c : cases) {
    const TArkInAsdu asdu(lengths_, Hex(c.octets));
    if (c.message) {
      EXPECT_EQ(MessageOf([&] { asdu.GetClockTime(); }), c.message) << c.octets;
      continue;
    }
    const TArkIecTypeTime time = asdu.GetClockTime();
    EXPECT_EQ(time.Milliseconds(), 59999);
    EXPECT_EQ(time.ClockText(), "31.12.2099 23:59:59");
  }
}

TEST_F(IecAsdu, ShortAsduFailsEveryIdentifierAccess) {
  const TArkInAsdu asdu(lengths_, Hex("0D 01 14"));
  EXPECT_FALSE(asdu.FormatValid());
  EXPECT_EQ(MessageOf([&] { asdu.TypeId(); }), iec_messages::kNoTypeIdField);
  EXPECT_EQ(MessageOf([&] { asdu.Vsq(); }), iec_messages::kNoVsqField);
  EXPECT_EQ(MessageOf([&] { asdu.IsSequence(); }), iec_messages::kNoVsqField);
  EXPECT_EQ(MessageOf([&] { asdu.Cot(); }), iec_messages::kNoCotField);
  EXPECT_EQ(MessageOf([&] { asdu.IsTest(); }), iec_messages::kNoCotField);
  EXPECT_EQ(MessageOf([&] { asdu.CommonAddress(); }), iec_messages::kNoCommonAddressField);
  EXPECT_EQ(MessageOf([&] { asdu.GetMeasuredValue(0); }), iec_messages::kNoTypeIdField);
}

// The same octets read under the lengths each data unit was given.
TEST_F(IecAsdu, EachAsduReadsWithItsOwnLengths) {
  TIecFieldLengths wide;
  wide.SetCotLength(2);
  wide.SetCommonAddressLength(2);
  const Octets octets = Hex("0D 01 14 00 01 00");
  const TArkInAsdu narrow(lengths_, octets);
  const TArkInAsdu wider(wide, octets);
  EXPECT_EQ(narrow.Cot(), 0x14);
  EXPECT_EQ(narrow.CommonAddress(), 0u);
  EXPECT_EQ(wider.Cot(), 0x0014);
  EXPECT_EQ(wider.CommonAddress(), 1u);
  EXPECT_EQ(MessageOf([&] { wider.GetMeasuredValue(0); }), iec_messages::kBadAsduFormat);
  EXPECT_EQ(BytesToHex(TArkOutAsdu(wide, 100, 6, 7).AsOctets()), "640106000700");
}

TEST_F(IecAsdu, CauseAndQualifierBits) {
  SetCotLength(2);
  TArkInAsdu asdu(lengths_, Hex("0D 85 C7 09 01"));
  EXPECT_TRUE(asdu.IsSequence());
  EXPECT_EQ(asdu.ObjectCount(), 5);
  EXPECT_EQ(asdu.Cause(), 7);
  EXPECT_TRUE(asdu.IsNegative());
  EXPECT_TRUE(asdu.IsTest());
  asdu.SetCause(20);  // keeps P/N and T, clears the originator address
  EXPECT_EQ(asdu.Cot(), 0x00D4);
  asdu.SetObjectCount(0x83);
  EXPECT_EQ(asdu.Vsq(), 0x83);
}

TEST(IecTypes, QualityBits) {
  struct Case {
    uint8_t qds;
    bool ov, bl, sb, nt, iv;
  };
  const Case cases[] = {{0x00, 0, 0, 0, 0, 0}, {0x01, 1, 0, 0, 0, 0}, {0x10, 0, 1, 0, 0, 0},
                        {0x20, 0, 0, 1, 0, 0}, {0x40, 0, 0, 0, 1, 0}, {0x80, 0, 0, 0, 0, 1},
                        {0x0E, 0, 0, 0, 0, 0}, {0x81, 1, 0, 0, 0, 1}};
  for (const Case& c : cases) {
    const TArkIecTypeQDS q(c.qds);
    EXPECT_EQ((std::array{q.Overflow(), q.Blocked(), q.Substituted(), q.NotTopical(), q.Invalid()}),
              (std::array{c.ov, c.bl, c.sb, c.nt, c.iv}))
        << int(c.qds);
  }
}

TEST(IecTypes, FloatKeepsWhatWasReceived) {
  const TArkIecTypeFloatQDS overflow({0x00, 0x80, 0x66, 0x43, 0x01});
  EXPECT_FLOAT_EQ(overflow.Value(), 230.5f);
  EXPECT_TRUE(overflow.Overflow());
  EXPECT_TRUE(std::isnan(TArkIecTypeFloatQDS({0x00, 0x00, 0xC0, 0x7F, 0x00}).Value()));
  EXPECT_EQ(TArkIecTypeFloatQDS({0x00, 0x00, 0x80, 0xFF, 0x00}).Value(),
            -std::numeric_limits<float>::infinity());
  EXPECT_EQ(TArkIecTypeFloatQDS(230.5f, 0x01).AsOctets(), Hex("00 80 66 43 01"));
}

TEST(IecTypes, TimeFieldsAndText) {
  struct Case {
    const char* octets;
    const char* text;
  };
  const Case cases[] = {
      {"5FEA 3B 17 1F 0C 05", "31.12.2005 23:59:59"},  // 59999 ms, year 5
      {"5FEA BB 17 1F 0C 05", "нет"},                  // IV
      {"0000 00 00 01 01 7F", "01.01.2127 00:00:00"},  // year 127
      {"E803 45 E3 E4 F1 85", "04.01.2005 03:05:01"},  // flag bits are not values
  };
  for (const Case& c : cases) {
    std::array<uint8_t, 7> octets{};
    const Octets raw = Hex(c.octets);
    std::copy(raw.begin(), raw.end(), octets.begin());
    EXPECT_EQ(TArkIecTypeTime(octets).ClockText(), c.text) << c.octets;
  }
}

TEST(IecTypes, TimeSettersMaskAndKeepTheOtherBits) {
  TArkIecTypeTime time({0x00, 0x00, 0xC0, 0xE0, 0xE0, 0xF0, 0x80});
  time.SetMilliseconds(59999);
  time.SetMinute(0xFF);
  time.SetHour(0xFF);
  time.SetDay(0xFF);
  time.SetMonth(0xFF);
  time.SetYear(0xFF);
  EXPECT_EQ(BytesToHex(time.AsOctets()), "5FEAFFFFFFFFFF");
  EXPECT_EQ(time.Milliseconds(), 59999);
  EXPECT_EQ(time.Minute(), 0x3F);
  EXPECT_TRUE(time.Invalid());
  EXPECT_EQ(time.Year(), 0x7F);
}

TEST(IecTypes, FillFromTheComputerClock) {
  struct Case {
    int year;
    uint8_t field;
  };
  for (const Case& c : {Case{2026, 26}, Case{1999, 127}, Case{2000, 0}, Case{2128, 0}}) {
    TArkIecTypeTime time;
    time.FillFrom(EncodeDateTime(c.year, 12, 31, 23, 59, 59, 999));
    EXPECT_EQ(time.Year(), c.field) << c.year;
    EXPECT_EQ(time.Milliseconds(), 59999);
    EXPECT_EQ(time.AsOctets().substr(2), Hex("3B 17 1F 0C") + static_cast<char>(c.field));
  }
}

// Every measured-value type the program reads, one object at address 1 with
// start lengths: the value as shown, its QDS and its time tag.
struct TypeCase {
  const char* name;
  const char* octets;
  float value;
  uint8_t qds;
  const char* time;
};

TEST_F(IecAsdu, MeasuredValueTypes) {
  // CP56Time2a A767090F0E031A: 2026-03-14 15:09:26.535; its first three
  // octets are the CP24Time2a 09:26.535.
  const TypeCase cases[] = {
      {"NA normalised", "09 01 03 01 01 00 0040 00", 0.5f, 0, ""},
      {"NA negative full scale", "09 01 03 01 01 00 0080 80", -1.0f, 0x80, ""},
      {"TA normalised with CP24", "0A 01 03 01 01 00 00C0 10 A76709", -0.5f, 0x10, "09:26.535"},
      {"NB scaled", "0B 01 03 01 01 00 E600 00", 230.0f, 0, ""},
      {"NB scaled negative", "0B 01 03 01 01 00 FEFF 01", -2.0f, 0x01, ""},
      {"TB scaled with CP24", "0C 01 03 01 01 00 E600 00 A76789", 230.0f, 0, "09:26.535 IV"},
      {"NC float", "0D 01 03 01 01 00 00806643 00", 230.5f, 0, ""},
      {"TC float with CP24", "0E 01 03 01 01 00 00806643 00 A76709", 230.5f, 0, "09:26.535"},
      {"ND normalised without QDS", "15 01 03 01 01 00 0020", 0.25f, 0, ""},
      {"TD normalised with CP56", "22 01 03 01 01 00 0040 00 A767090F0E031A", 0.5f, 0,
       "2026-03-14 15:09:26.535"},
      {"TE scaled with CP56", "23 01 03 01 01 00 E600 40 A767090F0E031A", 230.0f, 0x40,
       "2026-03-14 15:09:26.535"},
      {"TF float with CP56", "24 01 03 01 01 00 00806643 00 A767090F0E031A", 230.5f, 0,
       "2026-03-14 15:09:26.535"},
  };
  for (const TypeCase& c : cases) {
    SCOPED_TRACE(c.name);
    const TArkInAsdu asdu(lengths_, Hex(c.octets));
    const auto value = asdu.GetMeasuredValue(0);
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->address, 1u);
    EXPECT_FLOAT_EQ(value->element.Value(), c.value);
    EXPECT_EQ(value->element.Qds(), c.qds);
    EXPECT_EQ(value->time, c.time);
    EXPECT_FALSE(asdu.GetMeasuredValue(1).has_value());
  }
}

}  // namespace
}  // namespace vela
