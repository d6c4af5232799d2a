#include <gtest/gtest.h>

#include "app/Messages.h"
#include "common/ArkCmnUtils.h"
#include "common/DateTime.h"
#include "tests/app/FormHarness.h"

namespace vela::test {
namespace {

TEST(SequencerTest, ReadOnceFillsCellsAndFinishes) {
  FormHarness h;
  h.MakeSupportedVela();
  h.form().Button4.Click();
  EXPECT_TRUE(h.form().Engine().FBusy);
  h.AnswerAll();
  EXPECT_TRUE(h.LogHas(msg::kReadDone));
  EXPECT_FALSE(h.form().Engine().FBusy);
  EXPECT_FALSE(h.form().Engine().FPort->IsOpen());
  EXPECT_EQ((*h.form().Engine().FCells)[slotF].GetText(), "50.000");
  EXPECT_EQ((*h.form().Engine().FCells)[slotUa].GetText(), "220.00");
  EXPECT_EQ(h.form().edTime.Text(), "02.01.2000 00:00:00");
  // Quiet operation: no progress lines.
  EXPECT_FALSE(h.LogHas(msg::kFrequencyRead));
}

// Each time-out rule, in a single-shot and in a repeating operation.
struct TimeoutCase {
  const char* name;
  int answersBefore;      // requests answered before the one left unanswered
  bool continuous;        // read continuously (repeat) or once (stop)
  const char* line;       // logged at the time-out; nullptr: nothing
  bool stops;             // the operation ends
  bool sameRequestAgain;  // the unanswered request goes out again
};

class TimeoutRuleTest : public testing::TestWithParam<TimeoutCase> {};

TEST_P(TimeoutRuleTest, AppliesTheJobsRule) {
  const TimeoutCase& c = GetParam();
  FormHarness h;
  h.MakeSupportedVela();
  (c.continuous ? h.form().Button5 : h.form().Button4).Click();
  for (int i = 0; i < c.answersBefore; ++i) h.Answer();
  const TRequest pending = h.LastRequest();
  const int sent = h.RequestCount();
  h.loop().Advance(c.answersBefore == 0 ? 260 : 510);  // DevInfo 250 ms, parameters 500 ms
  if (c.line) {
    EXPECT_TRUE(h.LogHas(c.line)) << c.name;
  }
  EXPECT_EQ(!h.form().Engine().FBusy, c.stops) << c.name;
  EXPECT_EQ(h.form().Engine().FPort->IsOpen(), !c.stops) << c.name;
  if (c.sameRequestAgain) {
    ASSERT_EQ(h.RequestCount(), sent + 1) << c.name;
    EXPECT_EQ(h.LastRequest().start, pending.start) << c.name;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rules, TimeoutRuleTest,
    testing::Values(TimeoutCase{"ident once", 0, false, msg::kIdentNoAnswer, true, false},
                    TimeoutCase{"ident continuous", 0, true, msg::kIdentNoAnswerEsc, false, true},
                    TimeoutCase{"params once", 1, false, msg::kParamsNoAnswer, true, false},
                    TimeoutCase{"params continuous", 2, true, msg::kParamsNoAnswerEsc, false, true},
                    TimeoutCase{"values move on once", 6, false, nullptr, false, false},
                    TimeoutCase{"values move on continuous", 6, true, nullptr, false, false}),
    [](const auto& info) {
      std::string n = info.param.name;
      for (char& ch : n)
        if (ch == ' ') ch = '_';
      return n;
    });

TEST(SequencerTest, ValueTimeoutMovesOnToTheNextJob) {
  FormHarness h;
  h.MakeSupportedVela();
  h.form().Button4.Click();
  for (int i = 0; i < 6; ++i) h.Answer();
  EXPECT_EQ(h.LastRequest().start, 1);  // GetValues4
  h.loop().Advance(310);
  EXPECT_EQ(h.LastRequest().start, 0);  // GetF
  EXPECT_EQ(h.LastRequest().function, 4);
}

TEST(SequencerTest, LinkRestoredAfterAMissingAnswer) {
  FormHarness h;
  h.MakeSupportedVela();
  h.form().Button5.Click();
  h.loop().Advance(260);  // DevInfo unanswered, repeated
  ASSERT_TRUE(h.LogHas(msg::kIdentNoAnswerEsc));
  h.Answer();
  EXPECT_EQ(h.LogCount(msg::kLinkRestored), 1);
  h.Answer();
  EXPECT_EQ(h.LogCount(msg::kLinkRestored), 1);
  h.form().FormKeyPress(27);
}

TEST(SequencerTest, LoopAgainRestartsAtGetLinkPrm4) {
  FormHarness h;
  h.MakeSupportedVela();
  h.form().Button5.Click();
  // Prefix 6 + GetValues, GetF, GetTime, GetCos3, GetCos4 = 11 answers.
  for (int i = 0; i < 11; ++i) h.Answer();
  EXPECT_EQ(h.LastRequest().start, 20682);  // GetLinkPrm4
  EXPECT_EQ(h.form().Engine().CurrentJob(), jobGetLinkPrm4);
  EXPECT_TRUE(h.form().Engine().FContinuousRunning);
  h.form().FormKeyPress(27);
  EXPECT_FALSE(h.form().Engine().FPort->IsOpen());
  EXPECT_EQ(h.form().Button5.Caption(), msg::kReadContinuously);
}

TEST(SequencerTest, ContinuousReadingEndsWithItsExchangeFiguresInTheTrace) {
  FormHarness h;
  h.MakeSupportedVela();
  h.form().Button5.Click();
  h.loop().Advance(260);                   // DevInfo unanswered: one time-out, then repeated
  for (int i = 0; i < 6; ++i) h.Answer();  // the prefix
  h.Answer();                              // GetValues4: one reading
  h.ReplyException(4);                     // GetF refused
  h.loop().Advance(310);
  h.Answer();           // GetTime
  h.Reply("\x01\x03");  // cut short: a bad frame
  h.loop().Advance(360);
  h.Answer();  // GetCos3
  h.Answer();  // GetCos4: the reading ends, is recorded and counted
  h.form().Button5.Click();
  EXPECT_EQ(h.trace().back(),
            "Показаний прочитано: 1; обменов: " + std::to_string(h.RequestCount()) +
                "; ответов: 12; без ответа: 1; искажённых ответов: 1; ответов с исключением: 1; "
                "время ответа: медиана 0 мс, 95% не более 110 мс");  // GetCos3 went out in the wait
}

struct CosSkipCase {
  const char* name;
  uint16_t threeWire;
  bool cos3Refused;  // GetCos3 answered with exception code 2
  bool cos4Requested;
};

class CosSkipTest : public testing::TestWithParam<CosSkipCase> {};

TEST_P(CosSkipTest, GetCos4OnlyFor4WireWithPowerFactors) {
  const CosSkipCase& c = GetParam();
  FormHarness h;
  h.MakeSupportedVela();
  h.holding[20667] = c.threeWire;
  h.form().Button4.Click();
  bool cos4 = false;
  for (int i = 0; i < 20 && h.form().Engine().FBusy; ++i) {
    const TRequest r = h.LastRequest();
    if (r.function == 4 && r.start == 24) cos4 = true;
    if (r.function == 4 && r.start == 29 && c.cos3Refused) {
      h.ReplyException(2);
      h.loop().Advance(260);
    } else {
      h.Answer();
    }
  }
  EXPECT_EQ(cos4, c.cos4Requested) << c.name;
  EXPECT_TRUE(h.LogHas(msg::kReadDone)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Cases, CosSkipTest,
                         testing::Values(CosSkipCase{"fourWire", 0, false, true},
                                         CosSkipCase{"threeWire", 1, false, false},
                                         CosSkipCase{"noCosRegisters", 0, true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SequencerTest, SendFailureAfterRejectedDevice) {
  FormHarness h;
  h.MakeSupportedVela();
  h.input[770] = 0x4152;
  h.input[771] = 0x02FF;  // КАНТ, modification index 255
  h.form().Button4.Click();
  h.Answer();
  EXPECT_TRUE(h.LogHas(
      "Прибор идентифицируется как \"СИРТА КАНТ\" (модификация №256), серийный номер 000123."));
  EXPECT_TRUE(h.LogHas("Не удалось инициировать обмен данными."));
  EXPECT_FALSE(h.form().Engine().FBusy);
}

TEST(SequencerTest, FormatErrorHeldBackUntilStopAndWrittenOnce) {
  FormHarness h;
  h.MakeSupportedVela();
  h.form().Button5.Click();
  TComStat status;
  h.form().Engine().PortError(nullptr, CE_RXPARITY, status);
  h.form().Engine().PortError(nullptr, CE_FRAME, status);
  h.form().Engine().PortError(nullptr, CE_OVERRUN, status);
  EXPECT_FALSE(h.LogHas("Обнаружены ошибки формата данных."));
  h.form().Button5.Click();
  EXPECT_EQ(h.LogCount("Обнаружены ошибки формата данных."), 1);
  EXPECT_EQ(h.log().back(),
            "Рекомендации: убедитесь, что всем приборам на линии RS-485 присвоены уникальные "
            "адреса.");
}

TEST(SequencerTest, OverrunAloneLeavesNoMessage) {
  FormHarness h;
  h.form().Button5.Click();
  h.form().Engine().PortError(nullptr, CE_OVERRUN, TComStat{});
  h.form().FormKeyPress(27);
  EXPECT_FALSE(h.LogHas("Обнаружены ошибки формата данных."));
}

TEST(SequencerTest, StalenessPassHidesCellsAfter2000Ms) {
  FormHarness h;
  h.MakeSupportedVela();
  h.form().Button5.Click();
  for (int i = 0; i < 11; ++i) h.Answer();
  EXPECT_EQ((*h.form().Engine().FCells)[slotF].State(), cvsValue);
  // The device falls silent: GetLinkPrm4 repeats every 500 ms.
  h.loop().Advance(1600);
  EXPECT_EQ((*h.form().Engine().FCells)[slotF].State(), cvsValue);
  h.loop().Advance(1000);
  EXPECT_EQ((*h.form().Engine().FCells)[slotF].State(), cvsNone);
  EXPECT_EQ(h.form().edTime.Text(), "");
  h.form().FormKeyPress(27);
}

// Every per-operation flag is cleared when an operation stops or fails to start.
TEST(SequencerTest, StopClearsEveryOperationFlag) {
  FormHarness h;
  h.form().Button1.Click();  // clock setting: FClockSyncPending
  ASSERT_TRUE(h.form().Engine().FClockSyncPending);
  h.form().Engine().FSkipOnNextTick = true;
  h.form().Engine().FVerifyMode = true;
  h.form().FormKeyPress(27);
  EXPECT_FALSE(h.form().Engine().FClockSyncPending);
  EXPECT_FALSE(h.form().Engine().FSkipOnNextTick);
  EXPECT_FALSE(h.form().Engine().FVerifyMode);
  EXPECT_FALSE(h.form().Engine().FVerboseStatus);
  EXPECT_FALSE(h.form().Engine().FSingleShot);
  // The next read is not hijacked by a stale clock tick.
  h.MakeSupportedVela();
  h.form().Button4.Click();
  h.AnswerAll();
  EXPECT_TRUE(h.LogHas(msg::kReadDone));
  EXPECT_FALSE(h.LogHas(msg::kClockSyncCommand));
}

TEST(SequencerTest, FailedOpenLogsMessageUnchangedAndClearsFlags) {
  FormHarness h;
  h.MakeSupportedVela();
  h.ReadSettings();
  h.line().FailNextOpen("Не удалось открыть порт \"COM1\"");
  h.form().Button3.Click();  // write settings: verbose, without prefix
  EXPECT_EQ(h.log().back(), "Не удалось открыть порт \"COM1\"");
  EXPECT_FALSE(h.form().Engine().FVerboseStatus);
  EXPECT_FALSE(h.form().Engine().FBusy);
  EXPECT_TRUE(h.form().Button4.Enabled());
}

TEST(SequencerTest, ClockSettingWritesOnTheWholeSecond) {
  FormHarness h;
  h.clock().SetNow(EncodeDateTime(2025, 12, 10, 12, 0, 0, 300));
  h.form().Button1.Click();
  EXPECT_EQ(h.form().Engine().Timer1->Interval(), 1150u);
  h.loop().Advance(1150);
  const TRequest r = h.LastRequest();
  ASSERT_EQ(r.function, 0x10);
  ASSERT_EQ(r.start, 27);
  h.Answer();
  // 12:00:01.450 + 0.550 = 12:00:02.
  const uint32_t expected = DateTimeToSeconds(EncodeDateTime(2025, 12, 10, 12, 0, 2));
  EXPECT_EQ(h.holding[27] | (h.holding[28] << 16), expected);
  EXPECT_TRUE(h.LogHas(msg::kClockSet));
  EXPECT_TRUE(h.LogHas(msg::kReadDone));
  EXPECT_FALSE(h.form().Engine().FPort->IsOpen());
}

// Octets that arrive while no job is current are reported and start nothing:
// during the wait for the clock tick they must not send a request of their
// own nor move the tick off the whole second.
struct UnrequestedCase {
  const char* name;
  int msBeforeData;  // after the button, within the 1150 ms wait
};

class UnrequestedDuringClockWaitTest : public testing::TestWithParam<UnrequestedCase> {};

TEST_P(UnrequestedDuringClockWaitTest, ReportedAndTheClockIsStillWrittenOnTime) {
  const UnrequestedCase& c = GetParam();
  FormHarness h;
  h.clock().SetNow(EncodeDateTime(2025, 12, 10, 12, 0, 0, 300));
  h.form().Button1.Click();
  h.loop().Advance(c.msBeforeData);
  h.Reply("\x01\x02");
  EXPECT_TRUE(h.LogHas("Технология \"запрос-ответ\" не может быть выдержана.")) << c.name;
  EXPECT_EQ(h.RequestCount(), 0) << c.name;
  h.loop().Advance(1150 - c.msBeforeData);
  ASSERT_EQ(h.RequestCount(), 1) << c.name;
  ASSERT_EQ(h.LastRequest().function, 0x10) << c.name;
  h.Answer();
  const uint32_t expected = DateTimeToSeconds(EncodeDateTime(2025, 12, 10, 12, 0, 2));
  EXPECT_EQ(h.holding[27] | (h.holding[28] << 16), expected) << c.name;
  EXPECT_TRUE(h.LogHas(msg::kClockSet)) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Moments, UnrequestedDuringClockWaitTest,
                         testing::Values(UnrequestedCase{"atOnce", 0},
                                         UnrequestedCase{"midway", 600},
                                         UnrequestedCase{"justBeforeTheTick", 1100}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SequencerTest, ClockRuleEmptiesFieldAndStops) {
  FormHarness h;
  h.form().Button1.Click();
  h.loop().Advance(1500);
  h.loop().Advance(360);
  EXPECT_TRUE(h.LogHas(msg::kClockNoAnswer));
  EXPECT_FALSE(h.form().Engine().FBusy);
  EXPECT_TRUE(h.form().Engine().FNoAnswerSeen);
}

TEST(SequencerTest, WriteRepeatRule) {
  FormHarness h;
  h.MakeSupportedVela();
  h.ReadSettings();
  h.form().Button3.Click();
  h.Answer();  // the link block, read ahead of the write
  const TRequest first = h.LastRequest();
  h.loop().Advance(510);
  EXPECT_TRUE(h.LogHas(msg::kRepeatRequest));
  EXPECT_EQ(h.LastRequest().start, first.start);
  EXPECT_TRUE(h.form().Engine().FBusy);
  h.AnswerAll();
  EXPECT_TRUE(h.LogHas(msg::kOperationDone));
  EXPECT_TRUE(h.LogHas(msg::kReadDone));
}

}  // namespace
}  // namespace vela::test
