// The device's IEC 60870-5-101 secondary station, driven with frames built by
// hand or by the program's own frame and ASDU codec.

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "common/ArkCmnUtils.h"
#include "common/DateTime.h"
#include "iec101/IecAsdu.h"
#include "iec101/IecPacket.h"
#include "iec101/IecSettings.h"
#include "sim/Iec101Line.h"
#include "sim/MeasuredValues.h"

namespace vela {
namespace {

constexpr int64_t kMs = 1000;

Octets Hex(std::string text) {
  std::erase(text, ' ');
  return HexToBytes(text);
}

// Frames of the primary station at link address 1.
const char kStatus[] = "10 49 01 4A 16";
const char kReset[] = "10 40 01 41 16";
const char kClass2Fcb1[] = "10 7B 01 7C 16";
const char kClass2Fcb0[] = "10 5B 01 5C 16";
const char kInterrogation[] = "68 09 09 68 73 01 64 01 06 01 00 00 14 F4 16";  // FCB 1
// Answers of the station.
const char kLinkStatus[] = "10 0B 01 0C 16";
const char kAck[] = "10 00 01 01 16";
const char kAckClass1Waits[] = "10 20 01 21 16";  // ACD = 1
const char kNoData[] = "10 09 01 0A 16";

// The lengths of the simulator's factory options.
const TIecFieldLengths kStartLengths;

struct StationSetup {
  IecOptions iec;
  AnswerFaults faults;
  bool threeWire = false;
  std::set<uint16_t> outOfRange;
};

class Station {
 public:
  explicit Station(const StationSetup& setup = {}) : lengths(Iec101Line::LengthsOf(setup.iec)) {
    DeviceConfig config;
    config.settings.link.protocol = LinkProtocol::Iec101;
    config.settings.iec = setup.iec;
    config.settings.threeWire = setup.threeWire;
    config.outOfRange = setup.outOfRange;
    device_ = std::make_unique<DeviceModel>(config, clock_);
    line_ = MakeLineProtocol(config.settings.link, *device_, setup.faults);
  }

  // The answer to one request at the current time; empty for silence.
  Octets Ask(const Octets& request) {
    line_->Receive(request, nowUs_);
    const std::optional<Exchange> exchange = line_->Poll(nowUs_);
    lastNote_ = exchange ? exchange->note : "<nothing>";
    return exchange && exchange->answer ? *exchange->answer : Octets();
  }
  Octets Ask(const char* hex) { return Ask(Hex(hex)); }
  // The user data of the answer to a class 2 request with fcb.
  Octets Class2Asdu(int fcb) {
    const TArkInPacket answer(
        lengths, Ask(TArkOutPacket(lengths, fc::kRequestClass2, 1, fcb, true).Frame()));
    return answer.HasData() ? answer.UserData() : Octets();
  }
  void Advance(int64_t ms) {
    clock_.Advance(ms);
    nowUs_ += ms * kMs;
  }

  // The test's own frames use the lengths of the station's options.
  const TIecFieldLengths lengths;
  VirtualClock clock_;
  std::unique_ptr<DeviceModel> device_;
  std::unique_ptr<LineProtocol> line_;
  int64_t nowUs_ = 0;
  std::string lastNote_;
};

struct Measured {
  uint8_t type = 0, cause = 0;
  uint32_t commonAddress = 0;
  std::vector<TArkMeasuredValue> values;
};

Measured Decode(const TIecFieldLengths& lengths, const Octets& asdu) {
  const TArkInAsdu in(lengths, asdu);
  Measured m{in.TypeId(), in.Cause(), in.CommonAddress(), {}};
  for (uint32_t i = 0; auto value = in.GetMeasuredValue(i); ++i) m.values.push_back(*value);
  return m;
}

float ValueAt(const Measured& m, uint32_t address) {
  for (const auto& v : m.values) {
    if (v.address == address) return v.element.Value();
  }
  return -1;
}

// --- Link services, default lengths, each against a fresh station ---------

struct ServiceCase {
  const char* name;
  const char* request;
  const char* answer;  // "" = silence
};

class LinkService : public testing::TestWithParam<ServiceCase> {};

TEST_P(LinkService, AnswersWithTheFrameTheStandardGives) {
  Station station;
  EXPECT_EQ(BytesToHex(station.Ask(GetParam().request)), BytesToHex(Hex(GetParam().answer)))
      << station.lastNote_;
}

INSTANTIATE_TEST_SUITE_P(
    Frames, LinkService,
    testing::Values(
        ServiceCase{"StatusOfLink", kStatus, kLinkStatus},
        ServiceCase{"ResetIsConfirmed", kReset, kAck},
        ServiceCase{"ResetOfUserProcessIsConfirmed", "10 41 01 42 16", kAck},
        ServiceCase{"Class1WithNothingQueued", "10 7A 01 7B 16", kNoData},
        ServiceCase{"AccessDemandGetsStatus", "10 48 01 49 16", kLinkStatus},
        ServiceCase{"ReservedFunctionIsNotImplemented", "10 4C 01 4D 16", "10 0F 01 10 16"},
        ServiceCase{"UserDataInAFixedFrameIsRefused", "10 73 01 74 16", "10 01 01 02 16"},
        ServiceCase{"UserDataWithoutReplyStaysSilent",
                    "68 09 09 68 44 01 64 01 06 01 00 00 14 C5 16", ""},
        ServiceCase{"AnotherLinkAddress", "10 49 02 4B 16", ""},
        ServiceCase{"BadChecksum", "10 49 01 4B 16", ""},
        ServiceCase{"FrameOfASecondaryStation", kLinkStatus, ""},
        ServiceCase{"FixedFrameTooLongForTheAddressLength", "10 49 01 00 4A 16", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Field lengths --------------------------------------------------------

struct LengthsCase {
  const char* name;
  uint16_t link, cot, common, ioa;
  const char* statusRequest;
  const char* statusAnswer;
};

class FieldLengths : public testing::TestWithParam<LengthsCase> {};

TEST_P(FieldLengths, FramesAndAsdusFollowTheLinkBlock) {
  const LengthsCase& c = GetParam();
  StationSetup setup;
  setup.iec = {c.link, c.cot, c.common, c.ioa, 13, 0, 1000, 300};
  Station station(setup);
  EXPECT_EQ(BytesToHex(station.Ask(c.statusRequest)), BytesToHex(Hex(c.statusAnswer)));
  ASSERT_FALSE(
      station.Ask(TArkOutPacket(station.lengths, fc::kResetRemoteLink, 1, 0, false).Frame())
          .empty());
  const Measured m = Decode(station.lengths, station.Class2Asdu(1));
  EXPECT_EQ(m.type, 13);
  EXPECT_EQ(m.cause, 2);  // background scan
  EXPECT_EQ(m.commonAddress, c.common == 1 ? 300u % 256 : 300u);
  ASSERT_EQ(m.values.size(), 28u);
  for (uint32_t i = 0; i < 28; ++i) EXPECT_EQ(m.values[i].address, i + 1);
  EXPECT_NEAR(ValueAt(m, 1), 50, 0.1);    // f
  EXPECT_NEAR(ValueAt(m, 12), 230, 3);    // Ua
  EXPECT_NEAR(ValueAt(m, 5), 398, 6);     // Uab
  EXPECT_NEAR(ValueAt(m, 28), 0.9, 0.1);  // cos
}

INSTANTIATE_TEST_SUITE_P(
    Variants, FieldLengths,
    testing::Values(
        LengthsCase{"Defaults", 1, 1, 1, 2, kStatus, kLinkStatus},
        LengthsCase{"NoLinkAddress", 0, 1, 1, 1, "10 49 49 16", "10 0B 0B 16"},
        LengthsCase{"TwoOctetLinkAddress", 2, 2, 2, 3, "10 49 01 00 4A 16", "10 0B 01 00 0C 16"},
        LengthsCase{"LongestHeader", 1, 2, 2, 3, kStatus, kLinkStatus},
        LengthsCase{"OneOctetObjectAddress", 2, 1, 2, 1, "10 49 01 00 4A 16", "10 0B 01 00 0C 16"}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Application services -------------------------------------------------

TEST(IecStation, GeneralInterrogationIsServedOnTheFollowingClass2Requests) {
  Station station;
  ASSERT_EQ(BytesToHex(station.Ask(kReset)), BytesToHex(Hex(kAck)));
  EXPECT_EQ(BytesToHex(station.Ask(kInterrogation)), BytesToHex(Hex(kAckClass1Waits)));
  // Activation confirmation, ACD = 1: more to come.
  EXPECT_EQ(BytesToHex(station.Ask(kClass2Fcb0)),
            BytesToHex(Hex("68 09 09 68 28 01 64 01 07 01 00 00 14 AA 16")));
  const Octets values = station.Ask(kClass2Fcb1);
  const TArkInPacket valuesFrame(station.lengths, values);
  ASSERT_TRUE(valuesFrame.HasData());
  EXPECT_TRUE(valuesFrame.Acd());
  const Measured m = Decode(station.lengths, valuesFrame.UserData());
  EXPECT_EQ(m.type, 13);
  EXPECT_EQ(m.cause, 20);
  EXPECT_EQ(m.values.size(), 28u);
  // Activation termination, ACD = 0: nothing left in class 1.
  EXPECT_EQ(BytesToHex(station.Ask(kClass2Fcb0)),
            BytesToHex(Hex("68 09 09 68 08 01 64 01 0A 01 00 00 14 8D 16")));
  EXPECT_EQ(Decode(station.lengths, station.Class2Asdu(1)).cause, 2);
}

const char kClockSync[] =  // 07.12.2026 10:20:30.456, FCB 1
    "68 0F 0F 68 73 01 67 01 06 01 00 00 F8 76 14 0A 07 0C 1A 9C 16";

TEST(IecStation, ClockSynchronisationSetsTheClockAndIsConfirmedOnTheNextRequest) {
  Station station;
  station.Ask(kReset);
  EXPECT_EQ(BytesToHex(station.Ask(kClockSync)), BytesToHex(Hex(kAckClass1Waits)));
  EXPECT_EQ(BytesToHex(station.Ask(kClass2Fcb0)),
            BytesToHex(Hex("68 0F 0F 68 08 01 67 01 07 01 00 00 F8 76 14 0A 07 0C 1A 32 16")));
  const DateTimeParts p = DecodeDateTime(station.device_->ClockTime());
  EXPECT_EQ((std::vector<int>{p.year, p.month, p.day, p.hour, p.minute, p.second, p.millisecond}),
            (std::vector<int>{2026, 12, 7, 10, 20, 30, 456}));
  station.Advance(5000);  // the device clock runs on from the time set
  EXPECT_EQ(DecodeDateTime(station.device_->ClockTime()).second, 35);
  EXPECT_EQ(station.device_->ClockSeconds(),
            DateTimeToSeconds(EncodeDateTime(2026, 12, 7, 10, 20, 35, 456)));
}

struct RejectCase {
  const char* name;
  const char* asdu;   // of the command
  const char* reply;  // ASDU of the answer served on the next class 2 request
};

class CommandReject : public testing::TestWithParam<RejectCase> {};

TEST_P(CommandReject, MirrorsTheCommandWithTheCauseItFails) {
  Station station;
  station.Ask(kReset);
  EXPECT_EQ(BytesToHex(station.Ask(
                TArkOutPacket(station.lengths, 3, 1, 1, true, Hex(GetParam().asdu)).Frame())),
            BytesToHex(Hex(kAckClass1Waits)))
      << station.lastNote_;
  EXPECT_EQ(BytesToHex(station.Class2Asdu(0)), BytesToHex(Hex(GetParam().reply)));
  if (std::string(GetParam().name) != "BroadcastIsAnswered") {
    EXPECT_EQ(Decode(station.lengths, station.Class2Asdu(1)).cause, 2) << "nothing else queued";
  }
}

INSTANTIATE_TEST_SUITE_P(
    Asdus, CommandReject,
    testing::Values(
        RejectCase{"UnknownType", "2D 01 06 01 00 00 01", "2D 01 6C 01 00 00 01"},
        RejectCase{"CauseOtherThanActivation", "64 01 08 01 00 00 14", "64 01 6D 01 00 00 14"},
        RejectCase{"AnotherCommonAddress", "64 01 06 02 00 00 14", "64 01 6E 02 00 00 14"},
        RejectCase{"ObjectAddressNotZero", "64 01 06 01 05 00 14", "64 01 6F 01 05 00 14"},
        RejectCase{"GroupInterrogation", "64 01 06 01 00 00 15", "64 01 47 01 00 00 15"},
        RejectCase{"ClockWithMonth13", "67 01 06 01 00 00 F8 76 14 0A 07 0D 1A",
                   "67 01 47 01 00 00 F8 76 14 0A 07 0D 1A"},
        RejectCase{"ClockMarkedInvalid", "67 01 06 01 00 00 F8 76 94 0A 07 0C 1A",
                   "67 01 47 01 00 00 F8 76 94 0A 07 0C 1A"},
        RejectCase{"BroadcastIsAnswered", "64 01 06 FF 00 00 14", "64 01 07 01 00 00 14"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IecStation, OriginatorAddressIsKeptInTheReply) {
  StationSetup setup;
  setup.iec.cotLength = 2;
  Station station(setup);
  station.Ask(kReset);
  station.Ask(
      TArkOutPacket(station.lengths, 3, 1, 1, true, Hex("64 01 06 2A 01 00 00 14")).Frame());
  EXPECT_EQ(BytesToHex(station.Class2Asdu(0)), "6401072A01000014");
}

TEST(IecStation, MalformedCommandIsConfirmedButNotCarriedOut) {
  Station station;
  station.Ask(kReset);
  for (const char* asdu : {"64 01", "64 02 06 01 00 00 14 00 00 14", "67 01 06 01 00 00 F8 76"}) {
    SCOPED_TRACE(asdu);
    EXPECT_EQ(
        BytesToHex(station.Ask(TArkOutPacket(station.lengths, 3, 1, 1, true, Hex(asdu)).Frame())),
        BytesToHex(Hex(kAck)));
    EXPECT_EQ(Decode(station.lengths, station.Class2Asdu(0)).cause, 2);
    station.Ask(kReset);
  }
}

// --- FCB ------------------------------------------------------------------

TEST(IecFcb, RepeatedRequestGetsTheSameAnswerAndANewOneGetsNewData) {
  Station station;
  station.Ask(kReset);
  const Octets first = station.Ask(kClass2Fcb1);
  ASSERT_TRUE(TArkInPacket(station.lengths, first).HasData());
  station.Advance(20000);  // the values have moved on
  EXPECT_EQ(station.Ask(kClass2Fcb1), first);
  const Octets next = station.Ask(kClass2Fcb0);
  ASSERT_TRUE(TArkInPacket(station.lengths, next).HasData());
  EXPECT_NE(next, first);
}

TEST(IecFcb, RepeatedCommandIsCarriedOutOnce) {
  Station station;
  station.Ask(kReset);
  EXPECT_EQ(BytesToHex(station.Ask(kInterrogation)), BytesToHex(Hex(kAckClass1Waits)));
  EXPECT_EQ(BytesToHex(station.Ask(kInterrogation)), BytesToHex(Hex(kAckClass1Waits)));
  std::vector<int> causes;
  for (int fcb = 0; fcb < 4; ++fcb)
    causes.push_back(TArkInAsdu(station.lengths, station.Class2Asdu(fcb % 2)).Cause());
  EXPECT_EQ(causes, (std::vector<int>{7, 20, 10, 2}));
}

TEST(IecFcb, ResetStartsANewCountSoTheSameFcbIsNewAgain) {
  Station station;
  station.Ask(kReset);
  ASSERT_EQ(BytesToHex(station.Ask(kInterrogation)), BytesToHex(Hex(kAckClass1Waits)));
  station.Ask(kReset);
  station.Ask(kInterrogation);  // FCB 1 after a reset is a new command
  std::vector<int> causes;
  for (int fcb = 0; fcb < 6; ++fcb)
    causes.push_back(TArkInAsdu(station.lengths, station.Class2Asdu(fcb % 2)).Cause());
  EXPECT_EQ(causes, (std::vector<int>{7, 20, 10, 7, 20, 10}));
}

// --- Faults ---------------------------------------------------------------

struct FaultCase {
  const char* name;
  AnswerFaults faults;
  const char* status;  // answer to request status of link
  const char* reset;   // answer to reset of remote link
  const char* gi;      // answer to the interrogation command
};

class IecFault : public testing::TestWithParam<FaultCase> {};

TEST_P(IecFault, ChangesTheAnswersAsTold) {
  const FaultCase& c = GetParam();
  StationSetup setup;
  setup.faults = c.faults;
  Station station(setup);
  EXPECT_EQ(BytesToHex(station.Ask(kStatus)), BytesToHex(Hex(c.status)));
  EXPECT_EQ(BytesToHex(station.Ask(kReset)), BytesToHex(Hex(c.reset)));
  EXPECT_EQ(BytesToHex(station.Ask(kInterrogation)), BytesToHex(Hex(c.gi)));
}

AnswerFaults Fault(bool AnswerFaults::*flag) {
  AnswerFaults faults;
  faults.*flag = true;
  return faults;
}

AnswerFaults DfcIn(int answers) {
  AnswerFaults faults;
  faults.iecDfcAnswers = answers;
  return faults;
}

INSTANTIATE_TEST_SUITE_P(
    Options, IecFault,
    testing::Values(
        FaultCase{"None", {}, kLinkStatus, kAck, kAckClass1Waits},
        FaultCase{"BadChecksum", Fault(&AnswerFaults::badChecksum), "10 0B 01 56 16",
                  "10 00 01 5B 16", "10 20 01 7B 16"},
        FaultCase{"WrongAddress", Fault(&AnswerFaults::wrongAddress), "10 0B 02 0D 16",
                  "10 00 02 02 16", "10 20 02 22 16"},
        FaultCase{"SingleCharacter", Fault(&AnswerFaults::iecSingleChar), kLinkStatus, "E5", "E5"},
        FaultCase{"Dfc", DfcIn(kEveryAnswer), "10 1B 01 1C 16", "10 10 01 11 16", "10 30 01 31 16"},
        FaultCase{"DfcInTwoAnswers", DfcIn(2), "10 1B 01 1C 16", "10 10 01 11 16", kAckClass1Waits},
        FaultCase{"Nack", Fault(&AnswerFaults::iecNack), kLinkStatus, kAck, "10 01 01 02 16"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IecFault, NackedCommandIsNotCarriedOut) {
  StationSetup setup;
  setup.faults.iecNack = true;
  Station station(setup);
  station.Ask(kReset);
  station.Ask(kInterrogation);
  EXPECT_EQ(Decode(station.lengths, station.Class2Asdu(0)).cause, 2);
}

TEST(IecFault, SingleCharacterStandsForNoDataToo) {
  StationSetup setup;
  setup.faults.iecSingleChar = true;
  Station station(setup);
  station.Ask(kReset);
  EXPECT_EQ(BytesToHex(station.Ask("10 7A 01 7B 16")), "E5");  // class 1, nothing there
}

TEST(IecFault, QualityBitsAndOverflowMarkTheValues) {
  StationSetup setup;
  setup.faults.iecQuality = 0x80;
  setup.outOfRange = {FindQuantity("Ia")->reg};
  Station station(setup);
  station.Ask(kReset);
  const Measured m = Decode(station.lengths, station.Class2Asdu(1));
  ASSERT_EQ(m.values.size(), 28u);
  for (const auto& v : m.values) {
    EXPECT_EQ(v.element.Qds(), v.address == 8 ? 0x81 : 0x80) << v.address;
  }
}

// --- Where command answers go, and how they are told ----------------------

// "E5", "silence", or the function with ACD / DFC and, for user data, the
// type and cause of the ASDU: "8 103/7 ACD"; measured values that are not the
// whole set of 28 also say how many: "8 13/3 x1"; a negative one says "P/N".
std::string Describe(const Octets& answer) {
  if (answer.empty()) return "silence";
  const TArkInPacket packet(kStartLengths, answer);
  if (!packet.HasControl()) return BytesToHex(answer);
  std::string text = std::to_string(packet.Function());
  if (packet.HasData()) {
    const TArkInAsdu asdu(kStartLengths, packet.UserData());
    // Piece by piece: GCC 12 at -O3 warns falsely about chains of "+".
    text += ' ';
    text += std::to_string(asdu.TypeId());
    text += '/';
    text += std::to_string(asdu.Cause());
    if (asdu.IsNegative()) text += " P/N";
    if (asdu.TypeId() == asdu_type::kMeasuredFloat && asdu.ObjectCount() < 28) {
      text += " x";
      text += std::to_string(asdu.ObjectCount());
    }
  }
  if (packet.Acd()) text += " ACD";
  if (packet.Dfc()) text += " DFC";
  return text;
}

TEST(IecStationMode, AnswersAndQueuesAsTold) {
  TArkIecTypeTime time;
  time.FillFrom(EncodeDateTime(2031, 5, 17, 8, 9, 10, 500));
  const Octets clock =
      TArkOutPacket(
          kStartLengths, fc::kUserDataConfirm, 1, 1, true,
          TArkOutAsdu::CreateClockSync(kStartLengths, asdu_cause::kActivation, 1, time).AsOctets())
          .Frame();
  const Octets class1Fcb0 = TArkOutPacket(kStartLengths, fc::kRequestClass1, 1, 0, true).Frame();
  const Octets class1Fcb1 = TArkOutPacket(kStartLengths, fc::kRequestClass1, 1, 1, true).Frame();
  const Octets class2Fcb0 = Hex(kClass2Fcb0), class2Fcb1 = Hex(kClass2Fcb1);
  const Octets status = Hex(kStatus), reset = Hex(kReset);
  const auto gi = [](int fcb) {
    return TArkOutPacket(kStartLengths, fc::kUserDataConfirm, 1, fcb, true,
                         TArkOutAsdu::CreateInterrogation(kStartLengths, asdu_cause::kActivation, 1,
                                                          asdu_cause::kStationInterrogation)
                             .AsOctets())
        .Frame();
  };
  const Octets pause;  // 100 ms pass
  AnswerFaults giOnly, giClass2, events, oneObject, negative, unknownType;
  giOnly.iecInterrogationOnly = true;
  giClass2 = giOnly;
  giClass2.iecInterrogationClass = 2;
  events = giOnly;
  events.iecEventMs = 100;
  oneObject.iecOneObject = true;
  negative.iecRefuseCause = 7;
  unknownType.iecRefuseCause = 44;
  AnswerFaults e5, class1, periodic, class1E5, dfc;
  e5.iecSingleChar = true;
  class1.iecClass1Only = true;
  periodic.iecPeriodicFirst = true;
  class1E5.iecClass1Only = class1E5.iecSingleChar = true;
  dfc.iecDfcAnswers = 2;
  const struct {
    const char* name;
    AnswerFaults faults;
    std::vector<std::pair<Octets, const char*>> steps;
  } cases[] = {
      {"E5", e5, {{reset, "E5"}, {clock, "E5"}, {class1Fcb0, "8 103/7"}, {class1Fcb1, "E5"}}},
      {"class 1 only",
       class1,
       {{reset, "0"},
        {clock, "0 ACD"},
        {class2Fcb0, "8 13/2 ACD"},
        {class1Fcb1, "8 103/7"},
        {class2Fcb0, "8 13/2"}}},
      {"periodic values first",
       periodic,
       {{reset, "0"},
        {clock, "0"},
        {class2Fcb0, "8 13/1"},
        {class2Fcb1, "8 103/7"},
        {class2Fcb0, "8 13/2"}}},
      {"class 1 only with E5",
       class1E5,
       {{reset, "E5"},
        {clock, "E5"},
        {class2Fcb0, "8 13/2 ACD"},
        {class1Fcb1, "8 103/7"},
        {class1Fcb0, "E5"}}},
      {"DFC in the first two answers", dfc, {{status, "11 DFC"}, {reset, "0 DFC"}, {status, "11"}}},
      {"values only on interrogation",
       giOnly,
       {{reset, "0"},
        {class2Fcb1, "9"},
        {gi(0), "0 ACD"},
        {class2Fcb1, "8 100/7 ACD"},
        {class2Fcb0, "8 13/20 ACD"},
        {class2Fcb1, "8 100/10"},
        {class2Fcb0, "9"}}},
      {"interrogated values in class 2",
       giClass2,
       {{reset, "0"},
        {gi(1), "0 ACD"},
        {class1Fcb0, "8 100/7"},
        {class1Fcb1, "9"},
        {class2Fcb0, "8 13/20"},
        {class2Fcb1, "8 100/10"},
        {class2Fcb0, "9"}}},
      {"an event every 100 ms",
       events,
       {{reset, "0"},
        {class1Fcb1, "9"},
        {pause, ""},
        {class1Fcb0, "8 13/3 x1"},
        {pause, ""},
        {pause, ""},
        {class1Fcb1, "8 13/3 x1 ACD"},
        {class1Fcb0, "8 13/3 x1"},
        {class2Fcb1, "9"}}},
      {"one object per ASDU", oneObject, {{reset, "0"}, {class2Fcb1, "8 13/2 x1"}}},
      {"negative confirmation",
       negative,
       {{reset, "0"}, {gi(1), "0 ACD"}, {class2Fcb0, "8 100/7 P/N"}}},
      {"unknown type", unknownType, {{reset, "0"}, {gi(1), "0 ACD"}, {class2Fcb0, "8 100/44 P/N"}}},
  };
  for (const auto& c : cases) {
    StationSetup setup;
    setup.faults = c.faults;
    Station station(setup);
    std::vector<std::string> answers, expected;
    for (const auto& [request, answer] : c.steps) {
      if (request.empty()) {
        station.Advance(100);
        continue;
      }
      answers.push_back(Describe(station.Ask(request)));
      expected.push_back(answer);
    }
    EXPECT_EQ(answers, expected) << c.name;
  }
}

// --- Class 2 data ---------------------------------------------------------

TEST(IecClass2, CyclicTransmissionHasDataOncePerInterval) {
  StationSetup setup;
  setup.iec.cyclic = 1;
  setup.iec.cycleInterval = 1000;
  Station station(setup);
  station.Ask(kReset);
  std::vector<std::string> answers;
  for (int step = 0; step < 4; ++step) {
    if (step > 0) station.Advance(500);
    const Octets asdu = station.Class2Asdu(step % 2 == 0);
    answers.push_back(
        asdu.empty() ? "no data" : "cause " + std::to_string(Decode(station.lengths, asdu).cause));
  }
  EXPECT_EQ(answers, (std::vector<std::string>{"cause 1", "no data", "cause 1", "no data"}));
  EXPECT_EQ(BytesToHex(station.Ask(TArkOutPacket(station.lengths, 11, 1, 1, true).Frame())),
            BytesToHex(Hex(kNoData)));
}

TEST(IecClass2, TimeTaggedValuesAreCutToFitTheFrame) {
  StationSetup setup;
  setup.iec.asduType = 14;
  Station station(setup);
  station.Ask(kReset);
  const Measured first = Decode(station.lengths, station.Class2Asdu(1));
  const Measured second = Decode(station.lengths, station.Class2Asdu(0));
  EXPECT_EQ(first.type, 14);
  EXPECT_EQ(first.cause, 3);            // spontaneous
  ASSERT_EQ(first.values.size(), 24u);  // (253 - 4) / (2 + 8)
  ASSERT_EQ(second.values.size(), 4u);
  EXPECT_EQ(second.values.front().address, 25u);
  EXPECT_NEAR(ValueAt(first, 12), 230, 3);
  // The minute tag: 09.12.2025 12:00:00.000 of the virtual clock.
  const Octets asdu = station.Class2Asdu(1);  // next scan
  EXPECT_EQ(BytesToHex(asdu.substr(4 + 2 + 5, 3)), "000000");
}

TEST(IecClass2, ThreeWireNetworkLeavesOutTheQuantitiesOfTheNeutral) {
  StationSetup setup;
  setup.threeWire = true;
  Station station(setup);
  station.Ask(kReset);
  const Measured m = Decode(station.lengths, station.Class2Asdu(1));
  std::vector<uint32_t> addresses;
  for (const auto& v : m.values) addresses.push_back(v.address);
  EXPECT_EQ(addresses, (std::vector<uint32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 28}));
}

// --- Framing --------------------------------------------------------------

TEST(IecFraming, FrameInPiecesNoiseAndTornFrames) {
  Station station;
  LineProtocol& line = *station.line_;
  const Octets status = Hex(kStatus);
  line.Receive(status.substr(0, 2), 0);
  EXPECT_FALSE(line.Poll(1000));
  line.Receive(status.substr(2), 2000);
  auto exchange = line.Poll(2000);
  ASSERT_TRUE(exchange && exchange->answer);
  EXPECT_EQ(BytesToHex(*exchange->answer), BytesToHex(Hex(kLinkStatus)));

  line.Receive(Hex("FF 00") + Hex(kReset) + Hex(kStatus), 10000);
  exchange = line.Poll(10000);
  ASSERT_TRUE(exchange);
  EXPECT_EQ(BytesToHex(exchange->request), "FF00");
  EXPECT_FALSE(exchange->answer);
  EXPECT_EQ(BytesToHex(*line.Poll(10000)->answer), BytesToHex(Hex(kAck)));
  EXPECT_EQ(BytesToHex(*line.Poll(10000)->answer), BytesToHex(Hex(kLinkStatus)));

  line.Receive(Hex("68 09 09 68 73 01"), 20000);
  EXPECT_FALSE(line.Poll(20000 + 49 * kMs));
  exchange = line.Poll(20000 + 50 * kMs);
  ASSERT_TRUE(exchange);
  EXPECT_FALSE(exchange->answer);
  EXPECT_EQ(line.NextDeadlineUs(), kNever);

  line.Receive(Hex("68 09 08 68 73 01 64 01 06 01 00 00 14 F4 16"), 100000);
  exchange = line.Poll(100000);
  ASSERT_TRUE(exchange);
  EXPECT_FALSE(exchange->answer) << "the two lengths differ";
  EXPECT_EQ(line.NextDeadlineUs(), kNever);
}

// Random user data in well-formed frames reaches the ASDU handling; whatever
// it holds, every answer is a frame the master can read.
TEST(IecFraming, RandomUserDataNeverBreaksTheStation) {
  for (uint16_t ioa : {1, 3}) {
    StationSetup setup;
    setup.iec.ioaLength = ioa;
    setup.iec.cotLength = 2;
    Station station(setup);
    std::mt19937 random(ioa);
    station.Ask(kReset);
    for (int i = 0; i < 3000; ++i) {
      Octets asdu(random() % 24, '\0');
      for (char& octet : asdu) octet = static_cast<char>(random());
      if (asdu.size() > 0 && random() % 2) asdu[0] = static_cast<char>(random() % 2 ? 100 : 103);
      const uint8_t function =
          random() % 2 ? fc::kUserDataConfirm : static_cast<uint8_t>(random() % 16);
      const Octets answer =
          station.Ask(TArkOutPacket(station.lengths, function, 1, static_cast<int>(random()),
                                    random() % 2, asdu)
                          .Frame());
      if (answer.empty()) continue;
      const TArkInPacket packet(station.lengths, answer);
      EXPECT_TRUE(packet.HasControl() || packet.Kind() == TFrameKind::fkSingleChar)
          << BytesToHex(answer);
    }
  }
}

}  // namespace
}  // namespace vela
