// The IEC 60870-5-101 link master on the real serial port against velasim's
// working interface over a pseudo-terminal, in real time.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>

#include "common/ArkCmnUtils.h"
#include "common/DateTime.h"
#include "common/HeadlessEventLoop.h"
#include "iec101/Iec101PortSession.h"
#include "iec101/IecSettings.h"
#include "modbus/ModbusBlockOps.h"
#include "modbus/ModbusParamBlocks.h"
#include "serial/ArkComPort.h"
#include "tests/e2e/SimMaster.h"
#include "tests/support/VelaSimProcess.h"

namespace vela {
namespace {

// The simulator's factory lengths, which are the program's start values.
const TIecFieldLengths kLengths;

using test::VelaSimProcess;

constexpr int kRetries = 3;
constexpr int64_t kWaitMs = 4000;  // well above three time-outs at 9600

struct LinkReport {
  TLinkResult result = TLinkResult::lrNone;
  Octets asdu;
  bool acd = false, dfc = false;
};

// The program's side: port 8E1 at the working interface's speed (38400 at
// the factory), the master at link address 1 with the line's timing,
// results and trace collected on the loop.
class IecLink {
 public:
  explicit IecLink(const std::string& portName, uint32_t baud = 38400)
      : loop_(SystemClock::Instance()), port_(portName) {
    port_.SetBaudRate(baud);
    port_.SetByteSize(8);
    port_.SetParity(test::kEvenParity);
    port_.SetStopBits(test::kOneStopBit);
    session_ = std::make_unique<TIec101PortSession<TArkComPort>>(
        port_, loop_, SystemClock::Instance(), kLengths, 1);
    Master().SetLineTiming(baud, 11);
    Master().OnLinkResult = [this](TArkSocket101Master* master, TLinkResult result,
                                   const TArkInAsdu* asdu, bool acd) {
      reports_.push_back({result, asdu ? asdu->AsOctets() : Octets(), acd, master->Dfc()});
    };
    Master().OnTrace = [this](const std::string& line) { trace_.push_back(line); };
    Master().OpenPort();
  }
  ~IecLink() { Master().ClosePort(); }

  TArkSocket101Master& Master() { return session_->Master(); }

  // Starts a service and serves the loop until its one result arrives.
  template <class Start>
  LinkReport Run(Start start) {
    reports_.clear();
    start(Master());
    loop_.RunUntil([&] { return !reports_.empty(); }, kWaitMs);
    return reports_.empty() ? LinkReport{} : reports_.front();
  }
  LinkReport Reset() {
    return Run([](TArkSocket101Master& m) { m.ResetLink(kRetries); });
  }
  LinkReport Class2() {
    return Run([](TArkSocket101Master& m) { m.RequestClass2(kRetries); });
  }
  LinkReport Send(const TArkOutAsdu& asdu) {
    return Run([&](TArkSocket101Master& m) { m.SendUserData(asdu, kRetries); });
  }
  LinkReport Class1() {
    return Run([](TArkSocket101Master& m) { m.RequestClass1(kRetries); });
  }
  LinkReport LinkStatus() {
    return Run([](TArkSocket101Master& m) { m.RequestLinkStatus(kRetries); });
  }
  // Serves the loop for one more time-out, then counts the answers that
  // found the master idle: answers to requests repeated while their first
  // answer was on the way.
  int SkippedAfterSettling() {
    loop_.RunUntil([] { return false; }, Master().ResponseTimeoutMs() + 200);
    return static_cast<int>(std::count_if(trace_.begin(), trace_.end(), [](const std::string& l) {
      return l.starts_with("iSkip: ");
    }));
  }

 private:
  HeadlessEventLoop loop_;
  TArkComPort port_;
  std::unique_ptr<TIec101PortSession<TArkComPort>> session_;
  std::vector<LinkReport> reports_;
  std::vector<std::string> trace_;
};

std::vector<std::string> IecArgs(std::vector<std::string> extra = {}) {
  std::vector<std::string> args = {"--both", "--protocol", "iec"};
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

float ValueAt(const TArkInAsdu& asdu, uint32_t address) {
  for (uint32_t i = 0; auto value = asdu.GetMeasuredValue(i); ++i) {
    if (value->address == address) return value->element.Value();
  }
  return -1;
}

TEST(IecLinkE2E, ResetThenClass2GivesTheMeasuredValues) {
  VelaSimProcess sim(IecArgs());
  IecLink link(sim.WorkingPort());
  ASSERT_EQ(link.Reset().result, TLinkResult::lrAck);
  ASSERT_TRUE(link.Master().IsReady());
  const LinkReport data = link.Class2();
  ASSERT_EQ(data.result, TLinkResult::lrUserData);
  const TArkInAsdu asdu(kLengths, data.asdu);
  EXPECT_EQ(asdu.TypeId(), asdu_type::kMeasuredFloat);
  EXPECT_EQ(asdu.CommonAddress(), 1u);
  EXPECT_EQ(asdu.ObjectCount(), 28);
  EXPECT_NEAR(ValueAt(asdu, 1), 50.0, 0.05);     // f
  EXPECT_NEAR(ValueAt(asdu, 12), 230.0, 3.0);    // Ua
  EXPECT_NEAR(ValueAt(asdu, 6), 398.4, 5.0);     // Ubc
  EXPECT_NEAR(ValueAt(asdu, 9), 5.0, 1.0);       // Ic
  EXPECT_NEAR(ValueAt(asdu, 2), 3100.0, 600.0);  // P
  EXPECT_EQ(link.Class2().result, TLinkResult::lrUserData) << "the next FCB is new data too";
  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

TEST(IecLinkE2E, GeneralInterrogationIsConfirmedAnsweredAndTerminated) {
  VelaSimProcess sim(IecArgs());
  IecLink link(sim.WorkingPort());
  ASSERT_EQ(link.Reset().result, TLinkResult::lrAck);
  const auto command = TArkOutAsdu::CreateInterrogation(kLengths, asdu_cause::kActivation, 1,
                                                        asdu_cause::kStationInterrogation);
  ASSERT_EQ(link.Send(command).result, TLinkResult::lrAck);
  std::vector<std::pair<int, int>> typesAndCauses;
  for (int i = 0; i < 3; ++i) {
    const LinkReport report = link.Class2();
    ASSERT_EQ(report.result, TLinkResult::lrUserData) << i;
    const TArkInAsdu asdu(kLengths, report.asdu);
    typesAndCauses.emplace_back(asdu.TypeId(), asdu.Cause());
    if (asdu.Cause() == asdu_cause::kStationInterrogation) {
      EXPECT_NEAR(ValueAt(asdu, 13), 230.0, 3.0);  // Ub
    }
  }
  EXPECT_EQ(typesAndCauses, (std::vector<std::pair<int, int>>{{100, 7}, {13, 20}, {100, 10}}));
  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

TEST(IecLinkE2E, ClockSynchronisationSetsTheDeviceClock) {
  VelaSimProcess sim(IecArgs());
  IecLink link(sim.WorkingPort());
  ASSERT_EQ(link.Reset().result, TLinkResult::lrAck);
  TArkIecTypeTime time;
  time.FillFrom(EncodeDateTime(2031, 5, 17, 8, 9, 10, 500));
  ASSERT_EQ(
      link.Send(TArkOutAsdu::CreateClockSync(kLengths, asdu_cause::kActivation, 1, time)).result,
      TLinkResult::lrAck);
  const LinkReport report = link.Class2();
  ASSERT_EQ(report.result, TLinkResult::lrUserData);
  const TArkInAsdu confirmation(kLengths, report.asdu);
  EXPECT_EQ(confirmation.TypeId(), asdu_type::kClockSync);
  EXPECT_EQ(confirmation.Cause(), asdu_cause::kActivationConfirmation);
  EXPECT_FALSE(confirmation.IsNegative());
  EXPECT_EQ(confirmation.GetClockTime().ClockText(), "17.05.2031 08:09:10");

  // The same device, read over its service interface, runs on from that time.
  test::SimMaster service(sim.ServicePort(), test::MasterLine{});
  TModbusParamsTime clock;
  ParseParams(service.Packer(), clock, service.Answer(RequestParams(service.Packer(), clock)));
  const int64_t set = DateTimeToSeconds(EncodeDateTime(2031, 5, 17, 8, 9, 10));
  EXPECT_LE(std::llabs(static_cast<int64_t>(clock.GetSeconds()) - set), 3);
  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

struct FaultCase {
  const char* name;
  std::vector<std::string> args;
  TLinkResult reset;  // result of the reset
  TLinkResult data;   // then of sending an interrogation, when the reset passed
};

class IecLinkFault : public testing::TestWithParam<FaultCase> {};

TEST_P(IecLinkFault, EndsTheServiceWithTheResultItStandsFor) {
  const FaultCase& c = GetParam();
  VelaSimProcess sim(IecArgs(c.args));
  IecLink link(sim.WorkingPort());
  EXPECT_EQ(link.Reset().result, c.reset);
  if (c.reset == TLinkResult::lrAck) {
    const TLinkResult data =
        c.data == TLinkResult::lrUserData
            ? link.Class2().result
            : link.Send(TArkOutAsdu::CreateInterrogation(kLengths, 6, 1, 20)).result;
    EXPECT_EQ(data, c.data);
  }
  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

INSTANTIATE_TEST_SUITE_P(
    Faults, IecLinkFault,
    testing::Values(FaultCase{"Silence", {"--no-answer"}, TLinkResult::lrFailed, {}},
                    FaultCase{"SingleCharacterForTheConfirmation",
                              {"--iec-e5"},
                              TLinkResult::lrAck,
                              TLinkResult::lrAck},
                    FaultCase{"DfcSet", {"--iec-dfc"}, TLinkResult::lrAck, TLinkResult::lrAck},
                    FaultCase{"OtherLinkAddress", {"--wrong-address"}, TLinkResult::lrFailed, {}},
                    FaultCase{"BadChecksum", {"--bad-checksum"}, TLinkResult::lrFailed, {}},
                    FaultCase{
                        "UserDataRefused", {"--iec-nack"}, TLinkResult::lrAck, TLinkResult::lrNack},
                    // Status 1, reset 2, the class 2 answer 3 is lost: the repeat with the
                    // same FCB gets it.
                    FaultCase{"LostAnswerRepeated",
                              {"--no-answer-every", "3"},
                              TLinkResult::lrAck,
                              TLinkResult::lrUserData}),
    [](const auto& info) { return std::string(info.param.name); });

// --- Slaves that use the freedoms of the standard --------------------------

enum class Service { kReset, kLinkStatus, kClock, kClass1, kClass2 };

// "ack", "no data", "user data 103/7", with " ACD" and " DFC" when set.
std::string Describe(const LinkReport& report) {
  static const char* const kNames[] = {"ack",       "nack",   "not ready", "no data",
                                       "user data", "failed", "none"};
  std::string text = kNames[static_cast<int>(report.result)];
  if (!report.asdu.empty()) {
    const TArkInAsdu asdu(kLengths, report.asdu);
    // Piece by piece: GCC 12 at -O3 warns falsely about chains of "+".
    text += ' ';
    text += std::to_string(asdu.TypeId());
    text += '/';
    text += std::to_string(asdu.Cause());
  }
  if (report.acd) text += " ACD";
  if (report.dfc) text += " DFC";
  return text;
}

struct InteropCase {
  const char* name;
  std::vector<std::string> args;
  uint32_t baud;
  std::vector<std::pair<Service, const char*>> steps;
};

class IecInterop : public testing::TestWithParam<InteropCase> {};

TEST_P(IecInterop, EveryServiceGetsItsOwnAnswer) {
  const InteropCase& c = GetParam();
  VelaSimProcess sim(IecArgs(c.args));
  IecLink link(sim.WorkingPort(), c.baud);
  TArkIecTypeTime time;
  time.FillFrom(EncodeDateTime(2031, 5, 17, 8, 9, 10, 500));
  const auto clock = TArkOutAsdu::CreateClockSync(kLengths, asdu_cause::kActivation, 1, time);
  std::vector<std::string> answers, expected;
  for (const auto& [service, answer] : c.steps) {
    switch (service) {
      case Service::kReset:
        answers.push_back(Describe(link.Reset()));
        break;
      case Service::kLinkStatus:
        answers.push_back(Describe(link.LinkStatus()));
        break;
      case Service::kClock:
        answers.push_back(Describe(link.Send(clock)));
        break;
      case Service::kClass1:
        answers.push_back(Describe(link.Class1()));
        break;
      case Service::kClass2:
        answers.push_back(Describe(link.Class2()));
        break;
    }
    expected.push_back(answer);
  }
  EXPECT_EQ(answers, expected);
  EXPECT_EQ(link.SkippedAfterSettling(), 0)
      << "a request was repeated while its answer was on the way";
  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

using enum Service;
INSTANTIATE_TEST_SUITE_P(
    Slaves, IecInterop,
    testing::Values(
        InteropCase{
            "SingleCharacterAnswers",
            {"--iec-e5"},
            38400,
            {{kReset, "ack"}, {kClock, "ack"}, {kClass2, "user data 103/7"}, {kClass1, "no data"}}},
        InteropCase{"SplitAnswers",
                    {"--split"},
                    38400,
                    {{kReset, "ack"}, {kClass2, "user data 13/2"}, {kClass2, "user data 13/2"}}},
        // 300 ms late, then 240 ms on the wire: beyond a plain 400 ms.
        InteropCase{"LateAnswersAt9600",
                    {"--link-speed", "9600", "--delay", "300"},
                    9600,
                    {{kReset, "ack"}, {kClass2, "user data 13/2"}, {kClass2, "user data 13/2"}}},
        InteropCase{"CommandAnswersInClass1",
                    {"--iec-class1"},
                    38400,
                    {{kReset, "ack"},
                     {kClock, "ack ACD"},
                     {kClass2, "user data 13/2 ACD"},
                     {kClass1, "user data 103/7"},
                     {kClass1, "no data"}}},
        InteropCase{"PeriodicValuesAheadOfTheConfirmation",
                    {"--iec-periodic-first"},
                    38400,
                    {{kReset, "ack"},
                     {kClock, "ack"},
                     {kClass2, "user data 13/1"},
                     {kClass2, "user data 103/7"}}},
        InteropCase{"DfcOnTheReset",
                    {"--iec-dfc", "2"},
                    38400,
                    {{kReset, "ack DFC"}, {kLinkStatus, "ack"}, {kClock, "ack ACD"}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela
