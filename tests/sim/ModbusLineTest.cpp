#include <gtest/gtest.h>

#include <array>

#include "modbus/ModbusBlockOps.h"
#include "modbus/ModbusPacker.h"
#include "modbus/ModbusParamBlocks.h"
#include "modbus/ModbusValueBlocks.h"
#include "sim/ModbusLine.h"
#include "tests/common/OctetLiterals.h"

namespace vela {
namespace {

constexpr int64_t kMs = 1000;

using test::Bytes;

struct Line {
  explicit Line(LinkProtocol protocol, AnswerFaults faults = {}) {
    link.protocol = protocol;
    link.address = 7;
    line = MakeLineProtocol(link, device, faults);
    packer.RtuMode = protocol == LinkProtocol::ModbusRtu;
  }
  // Feeds octets at time t and returns what the line answers by then.
  std::optional<Exchange> Feed(const Octets& octets, int64_t t = 0) {
    line->Receive(octets, t);
    return line->Poll(t);
  }
  VirtualClock clock;
  DeviceModel device{{}, clock};
  LinkSettings link;
  std::unique_ptr<LineProtocol> line;
  TModbusPacker packer{7};
};

class BothFramings : public testing::TestWithParam<LinkProtocol> {};

TEST_P(BothFramings, MasterCodecReadsEveryBlockFromTheAnswers) {
  Line l(GetParam());
  TMbusDevInfo info;
  TModbusValues4Wire values;
  TModbusParamsLink link;
  TModbusParamsTime time;
  auto exchange = l.Feed(RequestValues(l.packer, info));
  ASSERT_TRUE(exchange && exchange->answer);
  ParseValues(l.packer, info, *exchange->answer);
  EXPECT_EQ(info.GetHID(), 0x41520100u);
  EXPECT_EQ(info.GetSerial(), 123456u);
  exchange = l.Feed(RequestValues(l.packer, values), 10 * kMs);
  ASSERT_TRUE(exchange && exchange->answer);
  ParseValues(l.packer, values, *exchange->answer);
  EXPECT_NEAR(values.GetUa() * 0.01, 230, 3);
  exchange = l.Feed(RequestParams(l.packer, link), 20 * kMs);
  ASSERT_TRUE(exchange && exchange->answer);
  ParseParams(l.packer, link, *exchange->answer);
  EXPECT_EQ(link.GetSerialNumber(), 123456u);
  time.SetSeconds(86400);
  exchange = l.Feed(RequestWriteParams(l.packer, time), 30 * kMs);
  ASSERT_TRUE(exchange && exchange->answer);
  ParseWriteParams(l.packer, time, *exchange->answer);
  EXPECT_EQ(l.device.ClockSeconds(), 86400u);
}

// A fault breaks one thing of a well-formed answer, which the master refuses for it.
TEST_P(BothFramings, AnswerFaultsAreRefusedForWhatTheyBreak) {
  struct FaultCase {
    AnswerFaults faults;
    const char* refusal;
  };
  const FaultCase cases[] = {{{false, true}, "В пакете указан несовпадающий адрес"},
                             {{true, false}, "Несовпадение контрольной суммы"}};
  for (const FaultCase& c : cases) {
    SCOPED_TRACE(c.refusal);
    Line l(GetParam(), c.faults);
    TModbusValuesF f;
    const auto exchange = l.Feed(RequestValues(l.packer, f));
    ASSERT_TRUE(exchange && exchange->answer);
    try {
      ParseValues(l.packer, f, *exchange->answer);
      ADD_FAILURE() << "accepted";
    } catch (const TModbusLinkException& e) {
      EXPECT_STREQ(e.what(), c.refusal);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Modbus, BothFramings,
                         testing::Values(LinkProtocol::ModbusRtu, LinkProtocol::ModbusAscii));

TEST(ModbusRtuLine, AnswersAWholeRequestAtOnceEvenWhenItArrivesInPieces) {
  Line l(LinkProtocol::ModbusRtu);
  const Octets request = l.packer.ReadInputRegistersRequest(1, 23);
  EXPECT_FALSE(l.Feed(request.substr(0, 3), 0));
  EXPECT_FALSE(l.line->Poll(1 * kMs));
  const auto exchange = l.Feed(request.substr(3), 1 * kMs);
  ASSERT_TRUE(exchange);
  EXPECT_EQ(exchange->request, request);
  ASSERT_TRUE(exchange->answer);
  EXPECT_EQ(exchange->answer->size(), 51u);
}

struct SilenceCase {
  const char* what;
  Octets octets;
  const char* note;
};

TEST(ModbusRtuLine, StaysSilentForFramesARealSlaveIgnores) {
  const SilenceCase cases[] = {
      {"bad CRC", Bytes({7, 4, 0, 1, 0, 23, 0x12, 0x34}), "неверная контрольная сумма"},
      {"trailing noise", ModbusRtuLine::WrapRtu(Bytes({7, 4, 0, 1, 0, 23})) + '\xFF',
       "неверная контрольная сумма"},
      {"fragment", Bytes({7, 4}), "обрывок кадра"},
  };
  for (const SilenceCase& c : cases) {
    Line l(LinkProtocol::ModbusRtu);
    EXPECT_FALSE(l.Feed(c.octets, 0)) << c.what;  // nothing before the frame gap
    EXPECT_EQ(l.line->NextDeadlineUs(), 3 * kMs) << c.what;
    const auto exchange = l.line->Poll(3 * kMs);
    ASSERT_TRUE(exchange) << c.what;
    EXPECT_FALSE(exchange->answer) << c.what;
    EXPECT_EQ(exchange->note, c.note) << c.what;
    EXPECT_EQ(l.line->NextDeadlineUs(), kNever);
  }
}

TEST(ModbusRtuLine, RequestToAnotherAddressIsTakenWholeAndLeftUnanswered) {
  Line l(LinkProtocol::ModbusRtu);
  const auto exchange = l.Feed(ModbusRtuLine::WrapRtu(Bytes({8, 4, 0, 1, 0, 23})));
  ASSERT_TRUE(exchange);
  EXPECT_FALSE(exchange->answer);
  EXPECT_EQ(exchange->note, "запрос другому адресу");
}

TEST(ModbusRtuLine, UnknownFunctionIsAnsweredAfterTheFrameGap) {
  Line l(LinkProtocol::ModbusRtu);
  EXPECT_FALSE(l.Feed(ModbusRtuLine::WrapRtu(Bytes({7, 6, 0, 0, 0, 1})), 0));
  const auto exchange = l.line->Poll(3 * kMs);
  ASSERT_TRUE(exchange && exchange->answer);
  EXPECT_EQ(*exchange->answer, ModbusRtuLine::WrapRtu(Bytes({7, 0x86, 1})));
}

TEST(ModbusRtuLine, SlowLinesWaitThreeAndAHalfCharacters) {
  VirtualClock clock;
  DeviceModel device({}, clock);
  LinkSettings link;
  link.speedIndex = 0;  // 9600 8E1: 3.5 characters of 11 bits = 4010 us
  auto line = MakeLineProtocol(link, device, {});
  line->Receive(Bytes({1, 6}), 0);
  EXPECT_EQ(line->NextDeadlineUs(), 4010);
}

TEST(ModbusAsciiLine, TakesLowerCaseDigitsAndRestartsAtEveryColon) {
  Line l(LinkProtocol::ModbusAscii);
  Octets request = l.packer.ReadInputRegistersRequest(0, 1);
  for (char& c : request) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const auto exchange = l.Feed("\xFF:0104" + request);
  ASSERT_TRUE(exchange && exchange->answer);
  EXPECT_EQ(exchange->request, request);
  EXPECT_EQ(exchange->answer->front(), ':');
  EXPECT_EQ(exchange->answer->substr(exchange->answer->size() - 2), "\r\n");
  EXPECT_EQ(exchange->answer->size(), 15u);  // 4n + 11
}

TEST(ModbusAsciiLine, StaysSilentForBrokenFrames) {
  const SilenceCase cases[] = {
      {"bad LRC", ":070400010017E0\r\n", "неверная контрольная сумма"},
      {"no CR", ":070400010017DD\n", "кадр без CR LF"},
      {"not hex", ":0704000100G7DD\r\n", "нарушен формат кадра"},
      {"odd digits", ":070400010017D\r\n", "нарушен формат кадра"},
      {"no colon", "070400010017DD\r\n", "кадр без двоеточия"},
      {"other address", ":080400010017DC\r\n", "запрос другому адресу"},
  };
  for (const SilenceCase& c : cases) {
    Line l(LinkProtocol::ModbusAscii);
    const auto exchange = l.Feed(c.octets);
    ASSERT_TRUE(exchange) << c.what;
    EXPECT_FALSE(exchange->answer) << c.what;
    EXPECT_EQ(exchange->note, c.note) << c.what;
  }
}

TEST(ModbusAsciiLine, DropsAnUnfinishedFrameAfterASecond) {
  Line l(LinkProtocol::ModbusAscii);
  EXPECT_FALSE(l.Feed(":0704000100", 0));
  EXPECT_EQ(l.line->NextDeadlineUs(), 1000 * kMs);
  EXPECT_FALSE(l.line->Poll(999 * kMs));
  const auto dropped = l.line->Poll(1000 * kMs);
  ASSERT_TRUE(dropped);
  EXPECT_FALSE(dropped->answer);
  const auto exchange = l.Feed(":070400000001F4\r\n", 1001 * kMs);
  ASSERT_TRUE(exchange && exchange->answer);
}

TEST(LineProtocol, EndlessStreamWithoutFrameEndIsDroppedAtOnce) {
  const std::pair<LinkProtocol, size_t> cases[] = {{LinkProtocol::ModbusRtu, 257},
                                                   {LinkProtocol::ModbusAscii, 514}};
  for (const auto& [protocol, length] : cases) {
    Line l(protocol);
    EXPECT_FALSE(l.Feed(Octets(length - 1, ':'), 0));
    const auto dropped = l.Feed(Octets(1, ':'), 0);
    ASSERT_TRUE(dropped);
    EXPECT_FALSE(dropped->answer);
    EXPECT_EQ(dropped->request.size(), length);
    EXPECT_EQ(l.line->NextDeadlineUs(), kNever);
  }
}

TEST(LineProtocol, IecWorkingInterfaceAnswersAsASecondaryStation) {
  VirtualClock clock;
  DeviceModel device({}, clock);
  LinkSettings link;
  link.protocol = LinkProtocol::Iec101;
  auto line = MakeLineProtocol(link, device, {});
  line->Receive(Bytes({0x10, 0x49, 0x01, 0x4A, 0x16}), 0);
  const auto exchange = line->Poll(0);
  ASSERT_TRUE(exchange && exchange->answer);
  EXPECT_EQ(*exchange->answer, Bytes({0x10, 0x0B, 0x01, 0x0C, 0x16}));  // status of link
}

}  // namespace
}  // namespace vela
