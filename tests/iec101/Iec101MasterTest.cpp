// The link master on the virtual clock: every row of the receive table, the
// time-out and budget rules, the frame count bit and the result reports.

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <vector>

#include "common/HeadlessEventLoop.h"
#include "iec101/Iec101Master.h"
#include "iec101/Iec101PortSession.h"
#include "iec101/IecMessages.h"
#include "tests/iec101/IecTestSupport.h"

namespace vela {
namespace {

using iectest::Hex;
using iectest::MessageOf;
using S = TLinkState;
using R = TLinkResult;

const Octets kStatus = Hex("10 49 01 4A 16");
const Octets kReset = Hex("10 40 01 41 16");
const Octets kClass2Fcb1 = Hex("10 7B 01 7C 16");
const Octets kClass2Fcb0 = Hex("10 5B 01 5C 16");
const Octets kInterrogationFrame = Hex("68 09 09 68 73 01 64 01 06 01 00 00 14 F4 16");
const Octets kMeasuredAsdu = Hex("0D 01 14 01 0C 00 00806643 00");

// A response of the secondary station, with the start lengths unless told.
Octets Answer(uint8_t function, bool dfc = false, const Octets& data = {}, uint32_t address = 1,
              bool acd = false, const TIecFieldLengths& lengths = TIecFieldLengths()) {
  return TArkOutPacket::Secondary(lengths, function, address, acd, dfc, data).Frame();
}

struct Reported {
  R result;
  Octets asdu;
  bool acd;
  int64_t atMs;
};

class Iec101Master : public iectest::IecSettingsTest {
 protected:
  Iec101Master() { Rebuild(Link()); }

  // A new master on link, its trace and results recorded.
  void Rebuild(TIecLink link, uint32_t address = 1) {
    master.reset();
    master = std::make_unique<TArkSocket101Master>(loop, clock, std::move(link), lengths_, address);
    master->OnTrace = [this](const std::string& line) { trace.push_back(line); };
    master->OnLinkResult = [this](TArkSocket101Master*, R result, const TArkInAsdu* asdu,
                                  bool acd) {
      reports.push_back({result, asdu ? asdu->AsOctets() : Octets(), acd, clock.MonotonicMs()});
      if (onReport) onReport(result);
    };
    sent.clear();
    trace.clear();
    reports.clear();
  }

  TIecLink Link() {
    return {[this](const Octets& frame) {
              sent.push_back(frame);
              return true;
            },
            [this] { ++opened; }, [this] { ++closed; }};
  }

  void Receive(const Octets& octets) { master->ReceiveOctets(octets); }

  void BringTo(S state) {
    master->ResetLink(3);
    if (state != S::lsStatusRequested) Receive(Answer(11));
    if (state != S::lsStatusRequested && state != S::lsResetSent) Receive(Answer(0));
    if (state == S::lsUserDataSent) {
      master->SendUserData(TArkOutAsdu::CreateInterrogation(lengths_, 6, 1, 20), 3);
    }
    if (state == S::lsDataRequested) master->RequestClass2(3);
    if (state == S::lsClass1Requested) master->RequestClass1(3);
    if (state == S::lsLinkStatusRequested) master->RequestLinkStatus(3);
    ASSERT_EQ(master->State(), state);
    sent.clear();
    reports.clear();
    trace.clear();
  }

  VirtualClock clock;
  HeadlessEventLoop loop{clock};
  std::vector<Octets> sent;
  std::vector<std::string> trace;
  std::vector<Reported> reports;
  std::function<void(R)> onReport;
  int opened = 0, closed = 0;
  std::unique_ptr<TArkSocket101Master> master;
};

struct ReceiveRow {
  const char* name;
  S state;
  Octets response;
  Octets next;  // frame sent in reaction, empty: none
  R result;     // lrNone: nothing reported
  S after;
};

TEST_F(Iec101Master, ReceiveTable) {
  const Octets garbage = Hex("FF 00");
  const Octets primary = Hex("10 4B 01 4C 16");  // PRM = 1
  const ReceiveRow rows[] = {
      {"status: garbage", S::lsStatusRequested, garbage, {}, R::lrNone, S::lsStatusRequested},
      {"status: E5", S::lsStatusRequested, Hex("E5"), kStatus, R::lrNone, S::lsStatusRequested},
      {"status: 11 DFC", S::lsStatusRequested, Answer(11, true), kReset, R::lrNone, S::lsResetSent},
      {"status: 11", S::lsStatusRequested, Answer(11), kReset, R::lrNone, S::lsResetSent},
      {"status: 14", S::lsStatusRequested, Answer(14), kReset, R::lrNone, S::lsResetSent},
      {"status: 15", S::lsStatusRequested, Answer(15), kReset, R::lrNone, S::lsResetSent},
      {"status: 0 ignored", S::lsStatusRequested, Answer(0), {}, R::lrNone, S::lsStatusRequested},
      {"status: other address",
       S::lsStatusRequested,
       Answer(11, false, {}, 2),
       {},
       R::lrNone,
       S::lsStatusRequested},
      {"status: PRM 1", S::lsStatusRequested, primary, {}, R::lrNone, S::lsStatusRequested},
      {"reset: garbage", S::lsResetSent, garbage, {}, R::lrNone, S::lsResetSent},
      {"reset: A2", S::lsResetSent, Hex("A2"), kReset, R::lrNone, S::lsResetSent},
      {"reset: 0", S::lsResetSent, Answer(0), {}, R::lrAck, S::lsReady},
      {"reset: 1", S::lsResetSent, Answer(1), kReset, R::lrNone, S::lsResetSent},
      {"reset: 14", S::lsResetSent, Answer(14), kReset, R::lrNone, S::lsResetSent},
      {"reset: 15", S::lsResetSent, Answer(15), kReset, R::lrNone, S::lsResetSent},
      {"reset: 8 ignored", S::lsResetSent, Answer(8), {}, R::lrNone, S::lsResetSent},
      {"user data: garbage", S::lsUserDataSent, garbage, {}, R::lrNone, S::lsUserDataSent},
      {"user data: 0", S::lsUserDataSent, Answer(0), {}, R::lrAck, S::lsReady},
      {"user data: 1", S::lsUserDataSent, Answer(1), {}, R::lrNack, S::lsReady},
      {"user data: 14", S::lsUserDataSent, Answer(14), {}, R::lrLinkNotReady, S::lsNotReady},
      {"user data: 15", S::lsUserDataSent, Answer(15), {}, R::lrLinkNotReady, S::lsNotReady},
      {"user data: 9 ignored", S::lsUserDataSent, Answer(9), {}, R::lrNone, S::lsUserDataSent},
      {"class 2: E5", S::lsDataRequested, Hex("E5"), {}, R::lrNoData, S::lsReady},
      {"class 2: A2", S::lsDataRequested, Hex("A2"), kClass2Fcb1, R::lrNone, S::lsDataRequested},
      {"class 2: 8 with ASDU",
       S::lsDataRequested,
       Answer(8, false, kMeasuredAsdu),
       {},
       R::lrUserData,
       S::lsReady},
      {"class 2: 8 without ASDU", S::lsDataRequested, Answer(8), {}, R::lrNoData, S::lsReady},
      {"class 2: 9", S::lsDataRequested, Answer(9), {}, R::lrNoData, S::lsReady},
      {"class 2: 11", S::lsDataRequested, Answer(11), {}, R::lrAck, S::lsReady},
      {"class 2: 14", S::lsDataRequested, Answer(14), {}, R::lrLinkNotReady, S::lsNotReady},
      {"class 2: 15", S::lsDataRequested, Answer(15), {}, R::lrLinkNotReady, S::lsNotReady},
      {"class 2: 0 ignored", S::lsDataRequested, Answer(0), {}, R::lrNone, S::lsDataRequested},
      {"class 1: 8 with ASDU",
       S::lsClass1Requested,
       Answer(8, false, kMeasuredAsdu),
       {},
       R::lrUserData,
       S::lsReady},
      {"class 1: 9", S::lsClass1Requested, Answer(9), {}, R::lrNoData, S::lsReady},
      {"class 1: 14", S::lsClass1Requested, Answer(14), {}, R::lrLinkNotReady, S::lsNotReady},
      {"link status: 11", S::lsLinkStatusRequested, Answer(11), {}, R::lrAck, S::lsReady},
      {"link status: 15",
       S::lsLinkStatusRequested,
       Answer(15),
       {},
       R::lrLinkNotReady,
       S::lsNotReady},
      {"link status: 0 ignored",
       S::lsLinkStatusRequested,
       Answer(0),
       {},
       R::lrNone,
       S::lsLinkStatusRequested},
  };
  for (const ReceiveRow& row : rows) {
    SCOPED_TRACE(row.name);
    Rebuild(Link());
    BringTo(row.state);
    Receive(row.response);
    EXPECT_EQ(sent, row.next.empty() ? std::vector<Octets>{} : std::vector<Octets>{row.next});
    if (row.result == R::lrNone) {
      EXPECT_TRUE(reports.empty());
    } else {
      ASSERT_EQ(reports.size(), 1u);
      EXPECT_EQ(reports[0].result, row.result);
      EXPECT_EQ(reports[0].asdu, row.result == R::lrUserData ? kMeasuredAsdu : Octets());
    }
    EXPECT_EQ(master->State(), row.after);
    EXPECT_EQ(trace, std::vector<std::string>{"iRd: " + BytesToHex(row.response)});
  }
}

// Pieces of an answer as they reach the master; an empty piece lets the
// response time-out pass.
struct AnswerRow {
  const char* name;
  S state;
  std::vector<Octets> pieces;
  std::vector<Octets> next;  // frames sent in reaction
  R result;                  // lrNone: nothing reported
  bool acd, dfc;
  S after;
};

TEST_F(Iec101Master, AnswersOfStandardSlaves) {
  const Octets data = Answer(8, false, kMeasuredAsdu);
  const Octets dataAcd = Answer(8, false, kMeasuredAsdu, 1, true);
  const Octets silence;
  const AnswerRow rows[] = {
      {"E5 confirms a reset", S::lsResetSent, {Hex("E5")}, {}, R::lrAck, false, false, S::lsReady},
      {"E5 confirms user data",
       S::lsUserDataSent,
       {Hex("E5")},
       {},
       R::lrAck,
       false,
       false,
       S::lsReady},
      {"E5 is no class 2 data",
       S::lsDataRequested,
       {Hex("E5")},
       {},
       R::lrNoData,
       false,
       false,
       S::lsReady},
      {"E5 is no class 1 data",
       S::lsClass1Requested,
       {Hex("E5")},
       {},
       R::lrNoData,
       false,
       false,
       S::lsReady},
      {"split in two",
       S::lsDataRequested,
       {data.substr(0, 3), data.substr(3)},
       {},
       R::lrUserData,
       false,
       false,
       S::lsReady},
      {"split in three, ACD set",
       S::lsClass1Requested,
       {dataAcd.substr(0, 1), dataAcd.substr(1, 9), dataAcd.substr(10)},
       {},
       R::lrUserData,
       true,
       false,
       S::lsReady},
      {"fixed frame split, ACD set",
       S::lsDataRequested,
       {Hex("10 29"), Hex("01 2A 16")},
       {},
       R::lrNoData,
       true,
       false,
       S::lsReady},
      {"garbage before the frame",
       S::lsDataRequested,
       {Hex("FF 00 16 68 01") + data},
       {},
       R::lrUserData,
       false,
       false,
       S::lsReady},
      {"E5 before the data in one arrival",
       S::lsDataRequested,
       {Hex("E5") + data},
       {},
       R::lrUserData,
       false,
       false,
       S::lsReady},
      {"A2 before the data in one arrival",
       S::lsClass1Requested,
       {Hex("A2") + data},
       {},
       R::lrUserData,
       false,
       false,
       S::lsReady},
      {"E5 before a reset confirmation",
       S::lsResetSent,
       {Hex("E5") + Answer(0, true)},
       {},
       R::lrAck,
       false,
       true,
       S::lsReady},
      {"E5 then noise is still no data",
       S::lsDataRequested,
       {Hex("E5 FF")},
       {},
       R::lrNoData,
       false,
       false,
       S::lsReady},
      {"another station's frame first",
       S::lsDataRequested,
       {Answer(9, false, {}, 2) + Answer(9)},
       {},
       R::lrNoData,
       false,
       false,
       S::lsReady},
      {"bad checksum waits for the time-out",
       S::lsDataRequested,
       {Hex("10 09 01 0B 16")},
       {},
       R::lrNone,
       false,
       false,
       S::lsDataRequested},
      {"start of an answer, then the repeat and its whole answer",
       S::lsDataRequested,
       {data.substr(0, 6), silence, data},
       {kClass2Fcb1},
       R::lrUserData,
       false,
       false,
       S::lsReady},
      {"status unanswered, answered on the repeat",
       S::lsStatusRequested,
       {silence, Answer(11)},
       {kStatus, kReset},
       R::lrNone,
       false,
       false,
       S::lsResetSent},
      {"reset unanswered, confirmed on the repeat",
       S::lsResetSent,
       {silence, Answer(0)},
       {kReset},
       R::lrAck,
       false,
       false,
       S::lsReady},
      {"DFC on the status still resets",
       S::lsStatusRequested,
       {Answer(11, true)},
       {kReset},
       R::lrNone,
       false,
       false,
       S::lsResetSent},
      {"reset confirmed with DFC",
       S::lsResetSent,
       {Answer(0, true)},
       {},
       R::lrAck,
       false,
       true,
       S::lsReady},
  };
  for (const AnswerRow& row : rows) {
    SCOPED_TRACE(row.name);
    Rebuild(Link());
    BringTo(row.state);
    for (const Octets& piece : row.pieces) {
      if (piece.empty()) {
        loop.Advance(master->ResponseTimeoutMs());
      } else {
        Receive(piece);
      }
    }
    EXPECT_EQ(sent, row.next);
    if (row.result == R::lrNone) {
      EXPECT_TRUE(reports.empty());
    } else {
      ASSERT_EQ(reports.size(), 1u);
      EXPECT_EQ(reports[0].result, row.result);
      EXPECT_EQ(reports[0].asdu, row.result == R::lrUserData ? kMeasuredAsdu : Octets());
      EXPECT_EQ(reports[0].acd, row.acd);
      EXPECT_EQ(master->Dfc(), row.dfc);
    }
    EXPECT_EQ(master->State(), row.after);
  }
}

// One service after another on the same master, each step with the exchange
// events it must give: what the owner's exchange counters are made of.
enum class Step : uint8_t { kClass2, kUserData, kReset, kOctets, kTimeOut };

struct ExchangeStep {
  const char* name;
  Step step;
  Octets octets;  // for kOctets
  std::vector<TLinkExchangeEvent> events;
};

TEST_F(Iec101Master, ExchangeEventsOfEachKindOfAnswer) {
  using E = TLinkExchangeEvent;
  constexpr E kSent = E::leTransmitted, kAnswer = E::leAnswered, kTimeOut = E::leTimedOut,
              kBad = E::leBadFrame, kRefused = E::leRefused, kRepeat = E::leRepeated;
  const ExchangeStep steps[] = {
      {"data request", Step::kClass2, {}, {kSent}},
      {"normal answer", Step::kOctets, Answer(9), {kAnswer}},
      {"data request", Step::kClass2, {}, {kSent}},
      {"no answer: time-out, then the repeat", Step::kTimeOut, {}, {kTimeOut, kRepeat, kSent}},
      {"the repeat answered", Step::kOctets, Answer(8, false, kMeasuredAsdu), {kAnswer}},
      {"data request", Step::kClass2, {}, {kSent}},
      {"bad checksum", Step::kOctets, Hex("10 09 01 0B 16"), {kAnswer, kBad}},
      {"answered, so no time-out: the repeat", Step::kTimeOut, {}, {kRepeat, kSent}},
      {"another address", Step::kOctets, Answer(9, false, {}, 2), {kAnswer, kBad}},
      {"then its own answer", Step::kOctets, Answer(9), {}},
      {"data request", Step::kClass2, {}, {kSent}},
      {"14 refuses", Step::kOctets, Answer(14), {kAnswer, kRefused}},
      {"so the link is reset", Step::kReset, {}, {kSent}},
      {"status of link", Step::kOctets, Answer(11), {kAnswer, kSent}},
      {"reset confirmed", Step::kOctets, Answer(0), {kAnswer}},
      {"user data", Step::kUserData, {}, {kSent}},
      {"NACK refuses", Step::kOctets, Answer(1), {kAnswer, kRefused}},
      {"data request", Step::kClass2, {}, {kSent}},
      {"E5 is no data", Step::kOctets, Hex("E5"), {kAnswer}},
      {"data request", Step::kClass2, {}, {kSent}},
      {"noise before the answer counts once",
       Step::kOctets,
       Hex("FF 00 16 68 01") + Answer(9),
       {kAnswer, kBad}},
      {"data request", Step::kClass2, {}, {kSent}},
      {"answer cut short", Step::kOctets, Answer(9).substr(0, 3), {kAnswer}},
      {"its time-out: bad, then the repeat", Step::kTimeOut, {}, {kBad, kRepeat, kSent}},
      {"a primary frame", Step::kOctets, Hex("10 4B 01 4C 16"), {kAnswer, kBad}},
      {"A2 repeats", Step::kOctets, Hex("A2"), {kBad, kRepeat, kSent}},
      {"the last repeat answered", Step::kOctets, Answer(9), {kAnswer}},
  };
  BringTo(S::lsReady);
  std::vector<E> events;
  master->OnExchange = [&events](E event) { events.push_back(event); };
  for (const ExchangeStep& step : steps) {
    SCOPED_TRACE(step.name);
    events.clear();
    switch (step.step) {
      case Step::kClass2:
        master->RequestClass2(3);
        break;
      case Step::kReset:
        master->ResetLink(3);
        break;
      case Step::kUserData:
        master->SendUserData(TArkOutAsdu::CreateInterrogation(lengths_, 6, 1, 20), 3);
        break;
      case Step::kOctets:
        Receive(step.octets);
        break;
      case Step::kTimeOut:
        loop.Advance(master->ResponseTimeoutMs());
        break;
    }
    EXPECT_EQ(events, step.events);
  }
  EXPECT_TRUE(master->IsReady());
}

TEST_F(Iec101Master, ReportCarriesTheAcdBit) {
  BringTo(S::lsDataRequested);
  Receive(Answer(9, false, {}, 1, true));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_TRUE(reports[0].acd);
}

TEST_F(Iec101Master, LinkStatusOnAResetLinkReportsDfcAndKeepsTheCount) {
  BringTo(S::lsReady);
  master->RequestLinkStatus(3);
  Receive(Answer(11, true));
  EXPECT_TRUE(master->Dfc());
  master->RequestLinkStatus(3);
  Receive(Answer(11));
  EXPECT_FALSE(master->Dfc());
  master->RequestClass2(3);
  EXPECT_EQ(sent, (std::vector<Octets>{kStatus, kStatus, kClass2Fcb1}));
}

TEST_F(Iec101Master, ClassTwoAnsweredWithA2FailsAfterThreeTransmissions) {
  BringTo(S::lsReady);
  master->RequestClass2(3);
  Receive(Hex("A2"));
  Receive(Hex("A2"));
  EXPECT_TRUE(reports.empty());
  Receive(Hex("A2"));
  EXPECT_EQ(sent, (std::vector<Octets>{kClass2Fcb1, kClass2Fcb1, kClass2Fcb1}));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].result, R::lrFailed);
  EXPECT_EQ(master->State(), S::lsNotReady);
}

TEST_F(Iec101Master, SilenceRepeatsEvery400MsUntilTheBudgetIsSpent) {
  BringTo(S::lsDataRequested);
  loop.Advance(399);
  EXPECT_TRUE(sent.empty());
  loop.Advance(1);
  EXPECT_EQ(sent, std::vector<Octets>{kClass2Fcb1});
  loop.Advance(2000);
  EXPECT_EQ(sent.size(), 2u);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].result, R::lrFailed);
  EXPECT_EQ(reports[0].atMs, 1200);
}

TEST_F(Iec101Master, LinkNotFunctioningUntilTheBudgetIsSpentFails) {
  master->ResetLink(3);
  for (int i = 0; i < 3; ++i) Receive(Answer(14));
  EXPECT_EQ(sent, (std::vector<Octets>{kStatus, kReset, kReset}));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].result, R::lrFailed);
}

TEST_F(Iec101Master, UnconfirmedResetIsRepeatedUntilTheBudgetIsSpent) {
  master->ResetLink(3);
  loop.Advance(100);
  Receive(Answer(11));
  loop.Advance(799);
  EXPECT_TRUE(reports.empty());
  loop.Advance(1);
  EXPECT_EQ(sent, (std::vector<Octets>{kStatus, kReset, kReset}));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].result, R::lrFailed);
  EXPECT_EQ(reports[0].atMs, 900);
  EXPECT_EQ(master->State(), S::lsNotReady);
}

TEST_F(Iec101Master, SilentStatusRequestIsRepeatedUntilTheBudgetIsSpent) {
  master->ResetLink(3);
  loop.Advance(5000);
  EXPECT_EQ(sent, (std::vector<Octets>{kStatus, kStatus, kStatus}));
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].atMs, 1200);
}

TEST_F(Iec101Master, ResponseWhileIdleIsOnlyTraced) {
  Receive(Hex("10 00 01 01 16"));
  EXPECT_EQ(trace, std::vector<std::string>{"iSkip: 1000010116"});
  EXPECT_TRUE(sent.empty());
  EXPECT_TRUE(reports.empty());
  EXPECT_EQ(master->State(), S::lsNotReady);
}

TEST_F(Iec101Master, ServicesRefusedByState) {
  EXPECT_EQ(MessageOf([&] { master->RequestClass2(3); }), iec_messages::kLinkNeedsReset);
  EXPECT_EQ(MessageOf([&] { master->SendUserData(TArkOutAsdu(lengths_, 100, 6, 1), 3); }),
            iec_messages::kLinkNeedsReset);
  master->ResetLink(3);
  const Octets frame = master->CurrentFrame()->Frame();
  EXPECT_EQ(MessageOf([&] { master->RequestClass2(3); }), iec_messages::kLinkBusy);
  EXPECT_EQ(MessageOf([&] { master->ResetLink(3); }), iec_messages::kPreviousOperationRunning);
  EXPECT_EQ(master->State(), S::lsStatusRequested);
  EXPECT_EQ(master->CurrentFrame()->Frame(), frame);
  EXPECT_EQ(sent.size(), 1u);
}

TEST_F(Iec101Master, FrameCountBitTogglesPerServiceAndRepeatsUnchanged) {
  BringTo(S::lsReady);
  master->RequestClass2(3);
  Receive(Answer(9));
  master->RequestClass2(3);
  Receive(Hex("A2"));  // repeat of the second request
  Receive(Answer(9));
  master->RequestClass2(3);
  Receive(Answer(9));
  EXPECT_EQ(sent, (std::vector<Octets>{kClass2Fcb1, kClass2Fcb0, kClass2Fcb0, kClass2Fcb1}));
  // A new reset starts the count again.
  master->ResetLink(3);
  Receive(Answer(11));
  Receive(Answer(0));
  master->RequestClass2(3);
  EXPECT_EQ(sent.back(), kClass2Fcb1);
}

// A request answered only after its time-out was repeated with the same FCB,
// so the station sends its answer once more: that copy is no answer to the
// next request, which waits for its own. A copy is owed only for a frame that
// got nothing at all before its time-out.
struct LateAnswerRow {
  const char* name;
  bool firstCopySilent;         // false: a broken frame answered it
  Octets late;                  // the answer to the first service
  std::vector<Octets> between;  // octets after the next request, before its answer
  Octets nextAsdu;              // what the answer to the next request carries
};

TEST_F(Iec101Master, CopyOfALateAnswerIsNoAnswerToTheNextRequest) {
  const Octets otherAsdu = Hex("0D 01 14 01 0C 00 00807643 00");
  const Octets first = Answer(8, false, kMeasuredAsdu);
  const LateAnswerRow rows[] = {
      {"copy dropped", true, first, {first}, otherAsdu},
      {"copy in pieces", true, first, {first.substr(0, 3), first.substr(3)}, otherAsdu},
      {"E5 copy dropped", true, Hex("E5"), {Hex("E5")}, otherAsdu},
      {"no copy came", true, first, {}, otherAsdu},
      // The broken frame was the first copy's answer: an equal answer is new.
      {"answered copy owes none", false, first, {}, kMeasuredAsdu},
  };
  for (const LateAnswerRow& row : rows) {
    SCOPED_TRACE(row.name);
    BringTo(S::lsDataRequested);
    if (row.firstCopySilent) {
      loop.Advance(master->ResponseTimeoutMs());
    } else {
      Receive(Hex("A2"));
    }
    ASSERT_EQ(sent.size(), 1u);  // the repeat
    Receive(row.late);
    ASSERT_EQ(reports.size(), 1u);
    master->RequestClass2(3);
    for (const Octets& octets : row.between) Receive(octets);
    EXPECT_EQ(reports.size(), 1u);
    EXPECT_EQ(master->State(), S::lsDataRequested);
    Receive(Answer(8, false, row.nextAsdu));
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_EQ(reports[1].result, R::lrUserData);
    EXPECT_EQ(reports[1].asdu, row.nextAsdu);
    EXPECT_EQ(sent.size(), 2u);  // the next request went once
  }
}

TEST_F(Iec101Master, ClassOneRequestCountsFramesLikeClassTwo) {
  BringTo(S::lsReady);
  master->RequestClass1(3);
  Receive(Answer(9));
  master->RequestClass2(3);
  EXPECT_EQ(sent, (std::vector<Octets>{Hex("10 7A 01 7B 16"), kClass2Fcb0}));
}

TEST_F(Iec101Master, TimeOutCoversTheWireTimeOfRequestAndLongestAnswer) {
  const struct {
    uint32_t baud;
    S state;
    unsigned answerTimeMs;
    unsigned timeoutMs;
  } cases[] = {
      {0, S::lsDataRequested, 400, 400},  // line not known: the plain answer time
      {9600, S::lsDataRequested, 400, 6 + 400 + 300 + 50},
      {9600, S::lsClass1Requested, 400, 6 + 400 + 300 + 50},
      {9600, S::lsStatusRequested, 400, 6 + 400 + 6 + 50},
      {115200, S::lsDataRequested, 400, 1 + 400 + 25 + 50},
      {0, S::lsDataRequested, 1000, 1000},  // a slow line's answer time
      {9600, S::lsDataRequested, 1000, 6 + 1000 + 300 + 50},
      {9600, S::lsStatusRequested, 150, 6 + 150 + 6 + 50},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.baud << " " << c.answerTimeMs);
    Rebuild(Link());
    master->SetAnswerTimeMs(c.answerTimeMs);
    master->SetLineTiming(c.baud, 11);
    BringTo(c.state);
    EXPECT_EQ(master->ResponseTimeoutMs(), c.timeoutMs);
    loop.Advance(c.timeoutMs - 1);
    EXPECT_TRUE(sent.empty());
    loop.Advance(1);
    EXPECT_EQ(sent.size(), 1u);
  }
}

TEST_F(Iec101Master, NothingIsReportedWithoutAResultHandler) {
  master->OnLinkResult = nullptr;
  master->ResetLink(3);
  Receive(Answer(11));
  Receive(Answer(0));
  EXPECT_TRUE(master->IsReady());
  master->RequestClass2(3);
  loop.Advance(5000);
  EXPECT_EQ(master->State(), S::lsNotReady);
  EXPECT_EQ(master->LastResult(), R::lrNone);
  EXPECT_TRUE(reports.empty());
}

TEST_F(Iec101Master, OneResultPerServiceWhenTheAnswerComesLate) {
  // The device answers every class 2 request 450 ms later: the repeat goes out
  // at 400, the late answer to the first request ends the service at 450, the
  // answer to the repeat finds the master idle.
  std::vector<std::unique_ptr<Timer>> answers;
  Rebuild({[&](const Octets& frame) {
             sent.push_back(frame);
             if (frame != kClass2Fcb1) return true;
             answers.push_back(loop.CreateTimer());
             Timer* timer = answers.back().get();
             timer->OnTimer = [this, timer] {
               timer->SetEnabled(false);
               Receive(Answer(9));
             };
             timer->SetInterval(450);
             timer->SetEnabled(true);
             return true;
           },
           {},
           {}});
  BringTo(S::lsDataRequested);
  loop.Advance(2000);
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].result, R::lrNoData);
  EXPECT_EQ(reports[0].atMs, 450);
  EXPECT_EQ(sent, std::vector<Octets>{kClass2Fcb1});  // the repeat at 400
  EXPECT_EQ(trace, (std::vector<std::string>{"iRd: 1009010A16", "iSkip: 1009010A16"}));
}

TEST_F(Iec101Master, NextServiceStartedInTheHandlerGetsAFullTimeOut) {
  BringTo(S::lsDataRequested);
  onReport = [this](R result) {
    if (result == R::lrNoData) master->RequestClass2(3);
  };
  loop.Advance(399);
  Receive(Answer(9));  // ends the first request at 399; the second starts at once
  EXPECT_EQ(sent, std::vector<Octets>{kClass2Fcb0});
  loop.Advance(399);
  EXPECT_EQ(sent.size(), 1u);
  loop.Advance(1);
  EXPECT_EQ(sent, (std::vector<Octets>{kClass2Fcb0, kClass2Fcb0}));
}

TEST_F(Iec101Master, ExhaustedOrEmptyBudget) {
  BringTo(S::lsReady);
  master->RequestClass2(0);
  EXPECT_TRUE(sent.empty());
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].result, R::lrFailed);
  EXPECT_EQ(master->State(), S::lsNotReady);
  loop.Advance(1000);
  EXPECT_EQ(reports.size(), 1u);
}

TEST_F(Iec101Master, ClearLinkStateEndsARunningServiceOnce) {
  BringTo(S::lsDataRequested);
  master->ClearLinkState();
  ASSERT_EQ(reports.size(), 1u);
  EXPECT_EQ(reports[0].result, R::lrFailed);
  loop.Advance(2000);
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(reports.size(), 1u);
  master->ClearLinkState();  // idle: nothing to report
  EXPECT_EQ(reports.size(), 1u);
}

TEST_F(Iec101Master, OversizedUserDataChangesNothing) {
  BringTo(S::lsReady);
  TArkOutAsdu huge(lengths_, 13, 3, 1);
  huge.AppendOctets(Octets(250, '\0'));
  EXPECT_EQ(MessageOf([&] { master->SendUserData(huge, 3); }), iec_messages::kFrameTooLong);
  EXPECT_TRUE(master->IsReady());
  master->RequestClass2(3);
  EXPECT_EQ(sent, std::vector<Octets>{kClass2Fcb1});
}

TEST_F(Iec101Master, HandlerExceptions) {
  std::vector<std::string> errors;
  master->OnLinkError = [&](TArkSocket101Master*, const TArkException& e) {
    errors.push_back(e.what());
    throw TArkException("second");
  };
  onReport = [](R) { throw TArkException("первая"); };
  BringTo(S::lsResetSent);
  Receive(Answer(0));  // raised in the handler, reported, the second dropped
  EXPECT_EQ(errors, std::vector<std::string>{"первая"});
  EXPECT_TRUE(master->IsReady());

  master->OnLinkError = nullptr;
  master->RequestClass2(3);
  Receive(Answer(9));  // no error handler: dropped
  master->RequestClass2(3);
  onReport = [](R) { throw std::logic_error("not ours"); };
  EXPECT_THROW(Receive(Answer(9)), std::logic_error);
}

TEST_F(Iec101Master, UserDataArrivesAsAnAsdu) {
  BringTo(S::lsDataRequested);
  int seen = 0;
  master->OnLinkResult = [&](TArkSocket101Master* sender, R r, const TArkInAsdu* asdu, bool) {
    EXPECT_EQ(sender, master.get());
    EXPECT_EQ(r, R::lrUserData);
    ASSERT_NE(asdu, nullptr);
    EXPECT_EQ(asdu->GetMeasuredValue(0)->address, 12u);
    ++seen;
  };
  Receive(Answer(8, false, kMeasuredAsdu));
  EXPECT_EQ(seen, 1);
}

TEST_F(Iec101Master, LinkAddressLengths) {
  struct Case {
    uint32_t length;
    uint32_t address;
    const char* status;
    uint32_t answerFrom;
    bool accepted;
  };
  const Case cases[] = {
      {0, 5, "10 49 49 16", 9, true},  // no address: every frame is ours
      {2, 0x1234, "10 49 34 12 8F 16", 0x1234, true},
      {2, 0x1234, "10 49 34 12 8F 16", 0x0034, false},
      {1, 0x105, "10 49 05 4E 16", 5, true},
  };
  for (const Case& c : cases) {
    SetLinkAddressLength(c.length);
    Rebuild(Link(), c.address);
    master->ResetLink(3);
    EXPECT_EQ(sent.back(), Hex(c.status));
    Receive(Answer(11, false, {}, c.answerFrom, false, lengths_));
    EXPECT_EQ(master->State(), c.accepted ? S::lsResetSent : S::lsStatusRequested) << c.status;
  }
}

// Two links with different field lengths in one process: each master builds
// and reads its own frames, whatever the other one does in between.
TEST_F(Iec101Master, MastersWithDifferentLengthsKeepTheirOwn) {
  TIecFieldLengths wide;
  wide.SetLinkAddressLength(2);
  wide.SetCommonAddressLength(2);
  wide.SetCotLength(2);
  wide.SetIoaLength(3);
  struct Side {
    TIecFieldLengths lengths;
    uint32_t commonAddress;
    const char* status;  // the first frame on the line
  };
  const Side sides[] = {{lengths_, 7, "10 49 01 4A 16"}, {wide, 0x0102, "10 49 01 00 4A 16"}};
  std::vector<Octets> firstSent[2];
  std::vector<std::string> got[2];  // "common address/object address" of each ASDU
  std::unique_ptr<TArkSocket101Master> masters[2];
  for (int i = 0; i < 2; ++i) {
    TIecLink link{[&firstSent, i](const Octets& frame) {
                    firstSent[i].push_back(frame);
                    return true;
                  },
                  {},
                  {}};
    masters[i] = std::make_unique<TArkSocket101Master>(loop, clock, link, sides[i].lengths, 1);
    masters[i]->OnLinkResult = [&got, i](TArkSocket101Master*, R, const TArkInAsdu* asdu, bool) {
      if (asdu) {
        got[i].push_back(std::to_string(asdu->CommonAddress()) + "/" +
                         std::to_string(asdu->GetMeasuredValue(0)->address));
      }
    };
    masters[i]->ResetLink(3);
  }
  for (const uint8_t function : {fc::kLinkStatus, fc::kAck}) {
    for (int i = 0; i < 2; ++i)
      masters[i]->ReceiveOctets(Answer(function, false, {}, 1, false, sides[i].lengths));
  }
  for (int i = 0; i < 2; ++i) masters[i]->RequestClass2(3);
  for (int i = 0; i < 2; ++i) {
    TArkOutAsdu asdu(sides[i].lengths, asdu_type::kMeasuredFloat, 3, sides[i].commonAddress);
    asdu.AppendObjectAddress(12);
    asdu.AppendOctets(TArkIecTypeFloatQDS(230.5f, 0).AsOctets());
    masters[i]->ReceiveOctets(
        Answer(fc::kUserData, false, asdu.AsOctets(), 1, false, sides[i].lengths));
  }
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(firstSent[i].front(), Hex(sides[i].status)) << i;
    EXPECT_EQ(got[i], std::vector<std::string>{std::to_string(sides[i].commonAddress) + "/12"})
        << i;
  }
}

TEST_F(Iec101Master, OpenAndCloseGoToTheLink) {
  master->OpenPort();
  master->ClosePort();
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(closed, 1);
}

// Timers that fire only when the test says so, also when stopped: the shape
// of a coarse toolkit timer that may tick early or deliver a tick queued
// before it was stopped.
class ManualTimers : public TimerFactory {
 public:
  class ManualTimer : public Timer {
   public:
    void SetEnabled(bool enabled) override { enabled_ = enabled; }
    bool Enabled() const override { return enabled_; }
    void SetInterval(unsigned ms) override { interval_ = ms; }
    unsigned Interval() const override { return interval_; }

   private:
    bool enabled_ = false;
    unsigned interval_ = 0;
  };
  std::unique_ptr<Timer> CreateTimer() override {
    auto timer = std::make_unique<ManualTimer>();
    timers.push_back(timer.get());
    return timer;
  }
  void Tick() {
    for (Timer* timer : timers) timer->OnTimer();
  }
  std::vector<Timer*> timers;
};

TEST_F(Iec101Master, EarlyOrStaleTicksDoNotEndAService) {
  ManualTimers timers;
  master = std::make_unique<TArkSocket101Master>(timers, clock, Link(), lengths_, 1);
  master->ResetLink(3);
  master->ReceiveOctets(Answer(11));
  master->ReceiveOctets(Answer(0));
  clock.Advance(50);
  timers.Tick();             // a tick of the ended reset: dropped
  master->RequestClass2(3);  // deadline 450
  sent.clear();
  clock.Advance(100);
  timers.Tick();
  EXPECT_TRUE(sent.empty());
  EXPECT_EQ(timers.timers[0]->Interval(), 300u);  // waits for the rest
  clock.Advance(300);
  timers.Tick();
  EXPECT_EQ(sent, std::vector<Octets>{kClass2Fcb1});
  EXPECT_EQ(master->State(), S::lsDataRequested);
}

// A stand-in with the shape of the serial port's interface.
struct LinePort {
  bool Send(const Octets& data) {
    written.push_back(data);
    return true;
  }
  void Open() {}
  void Close() {}
  std::function<void(LinePort*, const Octets&)> OnRead;
  std::vector<Octets> written;
};

TEST_F(Iec101Master, PortSessionGivesTheReceiveEventBack) {
  LinePort port;
  int ownerReads = 0;
  port.OnRead = [&](LinePort*, const Octets&) { ++ownerReads; };
  {
    TIec101PortSession<LinePort> session(port, loop, clock, lengths_, 1);
    session.Master().ResetLink(3);
    EXPECT_EQ(port.written, std::vector<Octets>{kStatus});
    port.OnRead(&port, Answer(11));
    EXPECT_EQ(session.Master().State(), S::lsResetSent);
    EXPECT_EQ(ownerReads, 0);
  }
  port.OnRead(&port, Answer(0));
  EXPECT_EQ(ownerReads, 1);
  loop.Advance(1000);  // the freed master's timer is gone
}

}  // namespace
}  // namespace vela
