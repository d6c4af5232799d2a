#include <gtest/gtest.h>

#include <cstdio>

#include "iec101/IecMessages.h"
#include "iec101/IecPacket.h"
#include "tests/iec101/IecTestSupport.h"

namespace vela {
namespace {

using iectest::Hex;
using iectest::MessageOf;

class IecPacket : public iectest::IecSettingsTest {};

TEST_F(IecPacket, SettingsRejectValuesOutOfRangeAndKeepTheOldOne) {
  using L = TIecFieldLengths;
  struct Case {
    void (L::*set)(uint32_t);
    uint32_t bad;
    const char* message;
  };
  const Case cases[] = {
      {&L::SetLinkAddressLength, 3, iec_messages::kBadLinkAddressLength},
      {&L::SetCommonAddressLength, 0, iec_messages::kBadCommonAddressLength},
      {&L::SetCommonAddressLength, 3, iec_messages::kBadCommonAddressLength},
      {&L::SetCotLength, 0, iec_messages::kBadCotLength},
      {&L::SetCotLength, 3, iec_messages::kBadCotLength},
      {&L::SetIoaLength, 0, iec_messages::kBadIoaLength},
      {&L::SetIoaLength, 4, iec_messages::kBadIoaLength},
  };
  for (const Case& c : cases) {
    const L before = lengths_;
    EXPECT_EQ(MessageOf([&] { (lengths_.*c.set)(c.bad); }), c.message) << c.bad;
    EXPECT_EQ(lengths_, before);
  }
  SetLinkAddressLength(0);
  EXPECT_EQ(lengths_.LinkAddressLength(), 0u);
}

TEST_F(IecPacket, CommonAddressMustFitItsFieldLength) {
  struct Case {
    uint32_t address;
    int length;
    const char* message;  // nullptr: accepted
  };
  const char* tooBigForOne = iec_messages::kCommonAddressDoesNotFitOneOctet;
  const char* tooBigForTwo = iec_messages::kCommonAddressDoesNotFitTwoOctets;
  const Case cases[] = {
      {1, 1, nullptr},
      {254, 1, nullptr},
      {255, 1, tooBigForOne},  // the global address
      {256, 1, tooBigForOne},
      {300, 1, tooBigForOne},
      {0, 1, tooBigForOne},
      {300, 2, nullptr},
      {65534, 2, nullptr},
      {65535, 2, tooBigForTwo},  // the global address
      {0, 2, tooBigForTwo},
      {1, 0, iec_messages::kBadCommonAddressLength},
      {1, 3, iec_messages::kBadCommonAddressLength},
  };
  for (const Case& c : cases) {
    std::string expected = "<no exception>";
    if (c.message != nullptr) {
      char text[320];
      std::snprintf(text, sizeof text, c.message, static_cast<unsigned>(c.address));
      expected = c.message == iec_messages::kBadCommonAddressLength ? c.message : text;
    }
    EXPECT_EQ(MessageOf([&] { CheckCommonAddressFits(c.address, c.length); }), expected)
        << c.address << " in " << c.length;
  }
  EXPECT_EQ(MessageOf([] { CheckCommonAddressFits(300, 1); }),
            "Общий адрес ASDU 300 не помещается в поле длиной 1 байт: допустимы значения от 1 "
            "до 254. Укажите адрес из этого диапазона или выберите длину общего адреса ASDU 2 "
            "байта.");
}

TEST_F(IecPacket, LinkAddressMustFitItsFieldLength) {
  const struct {
    uint32_t address;
    int length;
    bool fits;
  } cases[] = {
      {0, 0, true},    {7, 0, true},     {1, 1, true},      {254, 1, true},
      {255, 1, false}, {0, 1, false},    {300, 1, false},   {255, 2, true},
      {300, 2, true},  {65534, 2, true}, {65535, 2, false}, {0, 2, false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MessageOf([&] { CheckLinkAddressFits(c.address, c.length); }) == "<no exception>",
              c.fits)
        << c.address << " in " << c.length;
  }
  EXPECT_EQ(MessageOf([] { CheckLinkAddressFits(300, 1); }),
            "Адрес канала 300 не подходит для поля адреса длиной 1 байт: допустимы значения от 1 "
            "до 254.");
}

TEST_F(IecPacket, DefaultHeaderAndElementCounts) {
  EXPECT_EQ(lengths_.AsduHeaderLength(), 4u);
  // M_ME_NC_1 with SQ = 0: 4 + n * (2 + 5) octets.
  EXPECT_EQ(lengths_.ElementCount(18, false, 5), 2);
  EXPECT_EQ(lengths_.ElementCount(19, false, 5), 2);
  EXPECT_EQ(lengths_.ElementCount(17, false, 5), 1);
  // SQ = 1: one address, then the elements.
  EXPECT_EQ(lengths_.ElementCount(4 + 2 + 15, true, 5), 3);
  EXPECT_EQ(lengths_.ElementCount(4, true, 5), 0);  // -2 / 5 truncates toward zero
}

struct Recognition {
  const char* octets;
  uint32_t linkLength;
  TFrameKind kind;
  TFrameFields fields;
  uint8_t control;
  uint16_t address;
  const char* userData;
};

TEST_F(IecPacket, RecognisesReceivedFrames) {
  using K = TFrameKind;
  const uint8_t both = ffControl | ffData;
  const Recognition cases[] = {
      {"E5", 1, K::fkSingleChar, 0, 0, 0, ""},
      {"A2", 1, K::fkSingleChar, 0, 0, 0, ""},
      {"E5 E5", 1, K::fkUnknown, 0, 0, 0, ""},
      {"", 1, K::fkUnknown, 0, 0, 0, ""},
      {"10 0B 01 0C 16", 1, K::fkFixed, ffControl, 0x0B, 1, ""},
      {"10 0B 01 0D 16", 1, K::fkUnknown, 0, 0, 0, ""},  // bad checksum
      {"10 0B 01 0C 16", 2, K::fkFixed, 0, 0, 0, ""},    // other address length
      {"10 0B 34 12 51 16", 2, K::fkFixed, ffControl, 0x0B, 0x1234, ""},
      {"10 0B 0B 16", 0, K::fkFixed, ffControl, 0x0B, 0, ""},  // no address octet
      {"10 00 16", 1, K::fkFixed, 0, 0, 0, ""},                // empty sum, no room for C
      {"68 03 03 68 08 01 AA B3 16", 1, K::fkVariable, both, 0x08, 1, "AA"},
      {"68 02 02 68 08 01 09 16", 1, K::fkVariable, 0, 0, 0, ""},       // L = 1 + A: no ASDU
      {"68 03 04 68 08 01 AA B3 16", 1, K::fkUnknown, 0, 0, 0, ""},     // L octets differ
      {"68 03 03 68 08 01 AA B3 16 00", 1, K::fkUnknown, 0, 0, 0, ""},  // length is not L + 6
      {"68 03 03 68 08 01 AA B4 16", 1, K::fkUnknown, 0, 0, 0, ""},     // bad checksum
      {"10 0B 01 0C 16 10 0B 01 0C 16", 1, K::fkUnknown, 0, 0, 0, ""},  // two frames
      {"68 03 03 68 08 01 AA", 1, K::fkUnknown, 0, 0, 0, ""},           // split frame
  };
  for (const Recognition& c : cases) {
    SetLinkAddressLength(c.linkLength);
    const TArkInPacket packet(lengths_, Hex(c.octets));
    SCOPED_TRACE(c.octets);
    EXPECT_EQ(packet.Frame(), Hex(c.octets));
    EXPECT_EQ(packet.Kind(), c.kind);
    EXPECT_EQ(packet.Fields(), c.fields);
    if (packet.HasControl()) {
      EXPECT_EQ(packet.Control(), c.control);
      if (c.linkLength > 0) {
        EXPECT_EQ(packet.LinkAddress(), c.address);
      }
    }
    if (packet.HasData()) {
      EXPECT_EQ(packet.UserData(), Hex(c.userData));
    }
  }
}

TEST_F(IecPacket, FrameLengthOfTheOctetsAtTheStart) {
  constexpr size_t kMore = 0;
  constexpr size_t kNot = kNotFt12Frame;
  const struct {
    const char* octets;
    uint32_t linkLength;
    size_t length;
  } cases[] = {
      {"", 1, kMore},
      {"E5", 1, 1},
      {"A2 10", 1, 1},
      {"FF 10 0B 01 0C 16", 1, kNot},  // garbage first
      {"10", 1, kMore},
      {"10 0B 01", 1, kMore},
      {"10 0B 01 0C", 1, kMore},
      {"10 0B 01 0D", 1, kNot},  // checksum already wrong
      {"10 0B 01 0C 16", 1, 5},
      {"10 0B 01 0C 15", 1, kNot},  // no stop octet
      {"10 0B 01 0C 16 E5", 1, 5},  // what follows does not matter
      {"10 0B 34 12", 2, kMore},
      {"10 0B 01 0C 16", 2, kNot},  // sum of three octets is not 16h
      {"10 0B 34 12 51 16", 2, 6},
      {"10 0B 0B 16", 0, 4},
      {"68", 1, kMore},
      {"68 03 03 68 08 01", 1, kMore},
      {"68 03 03 68 08 01 AA B3", 1, kMore},
      {"68 03 03 68 08 01 AA B3 16", 1, 9},
      {"68 02 02 68 08 01 09 16", 1, 8},  // no ASDU, still a whole frame
      {"68 01 01 68 08 08 16", 1, kNot},  // L leaves no room for the address
      {"68 03 04", 1, kNot},              // L octets differ
      {"68 03 03 10", 1, kNot},           // second start octet wrong
      {"68 03 03 68 08 01 AA B4", 1, kNot},
      {"68 03 03 68 08 01 AA B3 10", 1, kNot},
      {"68 FF FF 68", 1, kMore},
  };
  for (const auto& c : cases) {
    SetLinkAddressLength(c.linkLength);
    EXPECT_EQ(Ft12FrameLength(lengths_, Hex(c.octets)), c.length)
        << c.octets << " / " << c.linkLength;
  }
}

TEST_F(IecPacket, AccessorsOfMissingFieldsFailWithTheirMessages) {
  const TArkInPacket single(lengths_, Hex("E5"));
  EXPECT_EQ(MessageOf([&] { single.Control(); }), iec_messages::kNoControlField);
  EXPECT_EQ(MessageOf([&] { single.Prm(); }), iec_messages::kNoControlField);
  EXPECT_EQ(MessageOf([&] { single.Function(); }), iec_messages::kNoControlField);
  EXPECT_EQ(MessageOf([&] { single.UserData(); }), iec_messages::kNoDataField);
  EXPECT_EQ(MessageOf([&] { single.LinkAddress(); }), iec_messages::kNoAddressField);

  const TArkInPacket primary(lengths_, Hex("10 49 01 4A 16"));
  EXPECT_TRUE(primary.Prm());
  EXPECT_EQ(MessageOf([&] { primary.Acd(); }), iec_messages::kAcdOnlySecondary);
  EXPECT_EQ(MessageOf([&] { primary.Dfc(); }), iec_messages::kDfcOnlySecondary);
  EXPECT_EQ(MessageOf([&] { primary.UserData(); }), iec_messages::kNoDataField);

  const TArkInPacket secondary(lengths_, Hex("10 3B 01 3C 16"));  // ACD and DFC set, function 11
  EXPECT_TRUE(secondary.Acd());
  EXPECT_TRUE(secondary.Dfc());
  EXPECT_EQ(secondary.Function(), 11);
  EXPECT_EQ(MessageOf([&] { secondary.Fcb(); }), iec_messages::kFcbOnlyPrimary);

  SetLinkAddressLength(0);
  const TArkInPacket noAddress(lengths_, Hex("10 0B 0B 16"));
  EXPECT_EQ(MessageOf([&] { noAddress.LinkAddress(); }), iec_messages::kNoAddressBySettings);
  EXPECT_TRUE(noAddress.AddressMatches(1));
  EXPECT_TRUE(noAddress.AddressMatches(77));
}

TEST_F(IecPacket, AddressMatchUsesTheTruncatedAddress) {
  const TArkInPacket packet(lengths_, Hex("10 0B 01 0C 16"));
  EXPECT_TRUE(packet.AddressMatches(1));
  EXPECT_TRUE(packet.AddressMatches(0x101));  // one address octet
  EXPECT_FALSE(packet.AddressMatches(2));
}

struct Built {
  uint32_t linkLength;
  uint8_t function;
  uint32_t address;
  int fcb;
  bool fcv;
  const char* userData;
  const char* frame;
};

TEST_F(IecPacket, BuildsPrimaryFrames) {
  const Built cases[] = {
      {1, 9, 1, 0, false, "", "10 49 01 4A 16"},  // request status of link
      {1, 0, 1, 0, false, "", "10 40 01 41 16"},  // reset of remote link
      {1, 11, 1, 1, true, "", "10 7B 01 7C 16"},  // class 2, FCB 1
      {1, 11, 1, 2, true, "", "10 5B 01 5C 16"},  // class 2, FCB 0
      {1, 9, 1, 1, false, "", "10 49 01 4A 16"},  // FCB ignored without FCV
      {0, 9, 1, 0, false, "", "10 49 49 16"},
      {2, 9, 0x1234, 0, false, "", "10 49 34 12 8F 16"},
      {1, 9, 0x1FF, 0, false, "", "10 49 FF 48 16"},  // truncated to one octet
      {1, 3, 1, 1, true, "64 01 06 01 00 00 14", "68 09 09 68 73 01 64 01 06 01 00 00 14 F4 16"},
  };
  for (const Built& c : cases) {
    SetLinkAddressLength(c.linkLength);
    const TArkOutPacket packet(lengths_, c.function, c.address, c.fcb, c.fcv, Hex(c.userData));
    EXPECT_EQ(BytesToHex(packet.Frame()), BytesToHex(Hex(c.frame))) << c.frame;
  }
}

TEST_F(IecPacket, LengthLimitIs255ChecksummedOctets) {
  // C + one address octet + 253 data octets = 255.
  const TArkOutPacket largest(lengths_, 3, 1, 1, true, Octets(253, '\x5A'));
  EXPECT_EQ(largest.Frame().size(), 255u + 6);
  EXPECT_EQ(TArkInPacket(lengths_, largest.Frame()).UserData(), Octets(253, '\x5A'));
  EXPECT_EQ(MessageOf([&] { TArkOutPacket(lengths_, 3, 1, 1, true, Octets(254, '\x5A')); }),
            iec_messages::kFrameTooLong);
}

TEST_F(IecPacket, SecondaryFramesRoundTripUnderEveryAddressLength) {
  for (uint32_t length : {0u, 1u, 2u}) {
    SetLinkAddressLength(length);
    for (const Octets& data : {Octets(), Hex("0D 01 03 01 05 00 00 00 48 43 00")}) {
      const TArkOutPacket out = TArkOutPacket::Secondary(lengths_, 8, 0x0203, true, false, data);
      const TArkInPacket in(lengths_, out.Frame());
      SCOPED_TRACE(BytesToHex(out.Frame()));
      ASSERT_TRUE(in.HasControl());
      EXPECT_FALSE(in.Prm());
      EXPECT_TRUE(in.Acd());
      EXPECT_FALSE(in.Dfc());
      EXPECT_EQ(in.Function(), 8);
      EXPECT_EQ(in.HasData(), !data.empty());
      EXPECT_TRUE(in.AddressMatches(0x0203));
      if (in.HasData()) {
        EXPECT_EQ(in.UserData(), data);
      }
    }
  }
  EXPECT_EQ(TArkOutPacket::SingleChar(kFt12Ack).Frame(), Hex("E5"));
  EXPECT_EQ(MessageOf([] { TArkOutPacket::SingleChar(0x10); }), iec_messages::kBadSingleChar);
}

TEST_F(IecPacket, FunctionDescriptionsByDirection) {
  EXPECT_STREQ(FunctionDescription(true, 9), " 9 - запрос о состоянии канала связи [ЗАПРОС/ОТВЕТ]");
  EXPECT_STREQ(FunctionDescription(true, 11), "11 - запрос данных класса 2 [ЗАПРОС/ОТВЕТ]");
  EXPECT_STREQ(FunctionDescription(false, 9),
               " 9 - отрицательная квитанция. Запрошенные данные отсутствуют [ОТВЕТ]");
  EXPECT_STREQ(FunctionDescription(false, 15), "15 - канальный сервис не встроен [-]");
}

}  // namespace
}  // namespace vela
