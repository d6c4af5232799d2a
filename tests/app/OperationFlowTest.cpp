// The operation buttons in Modbus mode: the job list each writes, where it
// starts, its flags, the first request; the controls an operation disables;
// a port that cannot be opened; the writes that must send back what the
// device holds.

#include <gtest/gtest.h>

#include "app/Messages.h"
#include "common/ArkCmnUtils.h"
#include "common/DateTime.h"
#include "tests/app/FormHarness.h"

namespace vela::test {
namespace {

struct OperationCase {
  const char* name;
  TButton TForm1::*button;
  bool readSettingsFirst;     // the link block is known before the press
  std::vector<uint8_t> jobs;  // written from entry 6
  int firstJob;               // the job that sends the first request
  bool singleShot, configOperation, verbose, verifyMode;
};

const OperationCase kOperations[] = {
    {"readOnce", &TForm1::Button4, false, joblists::kReadOnce, jobDevInfo, true, false, false,
     false},
    {"readContinuously", &TForm1::Button5, false, joblists::kReadContinuously, jobDevInfo, false,
     false, false, false},
    {"readSettings", &TForm1::Button7, false, joblists::kReadSettings, jobDevInfo, false, true,
     true, false},
    // A write reads the link block first: its serial number must be the one read before.
    {"write",
     &TForm1::Button3,
     true,
     {jobGetLinkPrm, jobSetLinkPrm2, jobSetLinkPrm3, jobSetLinkPrm4, jobSetMainPrm, jobSetLinkPrm,
      jobFinalizePrm, jobFinish},
     jobGetLinkPrm,
     false,
     true,
     true,
     false},
    {"factoryKnownLink", &TForm1::Button8, true, joblists::kWriteFactoryDefaults, jobSetLinkPrm2,
     false, true, true, false},
    {"factoryUnknownLink",
     &TForm1::Button8,
     false,
     {jobGetLinkPrm, jobSetLinkPrm2, jobSetLinkPrm3, jobSetLinkPrm4, jobSetMainPrm, jobSetLinkPrm,
      jobApplyFactoryLink, jobFinalizePrm, jobFinish},
     jobGetLinkPrm,
     false,
     true,
     true,
     false},
    {"verify", &TForm1::btnVerify, false, joblists::kIdentificationReport, jobDevInfo, true, false,
     false, true},
};

class OperationStartTest : public testing::TestWithParam<OperationCase> {};

TEST_P(OperationStartTest, WritesItsJobsAndFlags) {
  const OperationCase& c = GetParam();
  FormHarness h;
  h.MakeSupportedVela();
  if (c.readSettingsFirst) h.ReadSettings();
  TForm1& f = h.form();
  (f.*c.button).Click();
  for (size_t i = 0; i < c.jobs.size(); ++i) {
    EXPECT_EQ(f.Engine().FJobs[kPrefixLength + i], c.jobs[i]) << "entry " << kPrefixLength + i;
  }
  EXPECT_EQ(f.Engine().CurrentJob(), c.firstJob);
  EXPECT_EQ(f.Engine().FSingleShot, c.singleShot);
  EXPECT_EQ(f.Engine().FConfigOperation, c.configOperation);
  EXPECT_EQ(f.Engine().FVerboseStatus, c.verbose);
  EXPECT_EQ(f.Engine().FVerifyMode, c.verifyMode);
  EXPECT_TRUE(f.Engine().FBusy);
  EXPECT_TRUE(f.Engine().FPort->IsOpen());
  EXPECT_TRUE(f.Engine().Timer1->Enabled());
  f.FormKeyPress(27);
}

INSTANTIATE_TEST_SUITE_P(Buttons, OperationStartTest, testing::ValuesIn(kOperations),
                         [](const auto& info) { return std::string(info.param.name); });

// Every button, when the port cannot be opened: the port's message, nothing
// sent, controls enabled, port closed.
TEST(OperationStartTest, FailedOpenLeavesTheControlsEnabled) {
  for (TButton TForm1::*button : {&TForm1::Button4, &TForm1::Button5, &TForm1::Button1,
                                  &TForm1::Button7, &TForm1::Button3, &TForm1::Button8}) {
    FormHarness h;
    if (button == &TForm1::Button3) {  // a write needs the settings read first
      h.MakeSupportedVela();
      h.ReadSettings();
    }
    const int sentBefore = h.RequestCount();
    h.line().FailNextOpen("Порт занят");
    TForm1& f = h.form();
    (f.*button).Click();
    SCOPED_TRACE((f.*button).Name());
    EXPECT_EQ(h.log().back(), "Порт занят");
    EXPECT_EQ(h.RequestCount(), sentBefore);
    EXPECT_FALSE(f.Engine().FBusy);
    EXPECT_FALSE(f.Engine().FClockSyncPending);
    EXPECT_FALSE(f.Engine().Timer1->Enabled());
    for (TControl* c : {static_cast<TControl*>(&f.Button1), static_cast<TControl*>(&f.Button4),
                        static_cast<TControl*>(&f.Button5), static_cast<TControl*>(&f.Button7),
                        static_cast<TControl*>(&f.cbSpeed)}) {
      EXPECT_TRUE(c->Enabled()) << c->Name();
    }
    // The write stays offered only where the settings were read and are still known.
    EXPECT_EQ(f.Button3.Enabled(), button == &TForm1::Button3);
    EXPECT_EQ(f.Button5.Caption(), msg::kReadContinuously);
  }
}

TEST(OperationStartTest, DisablesTheOperationControlsAndEnablesThemAgain) {
  FormHarness h;
  h.MakeSupportedVela();
  TForm1& f = h.form();
  f.cbInterfaceType.Choose(1);  // RS-485: the protocol box is enabled between operations
  f.Button4.Click();
  const std::vector<TControl*> disabled = {&f.Button1,   &f.Button4,        &f.Button5,  &f.Button8,
                                           &f.btnVerify, &f.cbProtocolType, &f.cbSpeed,  &f.cbFrame,
                                           &f.cbAddress, &f.btnIecCfg,      &f.rb3w,     &f.rb4w,
                                           &f.Button7,   &f.Button3,        &f.ComboBox2};
  const std::vector<TControl*> stay = {&f.cbComPort, &f.ComboBox3, &f.ComboBox4, &f.cbAddr,
                                       &f.cbInterfaceType};
  for (TControl* c : disabled) EXPECT_FALSE(c->Enabled()) << c->Name();
  for (TControl* c : stay) EXPECT_TRUE(c->Enabled()) << c->Name();
  h.AnswerAll();
  ASSERT_FALSE(f.Engine().FBusy);
  for (TControl* c : disabled) {
    if (c != &f.btnIecCfg) {
      EXPECT_TRUE(c->Enabled()) << c->Name();
    }
  }
  f.cbInterfaceType.Choose(0);  // USB: the program-side protocol is fixed
  f.Button4.Click();
  h.AnswerAll();
  EXPECT_FALSE(f.ComboBox2.Enabled());
}

TEST(OperationStartTest, ClockButtonTicksAfterTheNextWholeSecondWithoutThePrefix) {
  FormHarness h;
  h.MakeSupportedVela();
  TForm1& f = h.form();
  h.clock().SetNow(EncodeDateTime(2026, 3, 1, 23, 59, 59, 999));
  f.Button1.Click();
  EXPECT_TRUE(h.LogHas(msg::kClockSyncStart));
  EXPECT_EQ(f.Engine().Timer1->Interval(), 451u);
  EXPECT_FALSE(f.Button4.Enabled());
  EXPECT_EQ(h.RequestCount(), 0);
  h.loop().Advance(451);
  ASSERT_EQ(h.RequestCount(), 1);  // SetTime at once: no identification first
  EXPECT_EQ(h.LastRequest().start, 27);
  h.Answer();
  // 00:00:00.450 + 550 ms: 00:00:01 of the next day.
  EXPECT_EQ(h.holding[27] | (h.holding[28] << 16),
            DateTimeToSeconds(EncodeDateTime(2026, 3, 2, 0, 0, 1)));
  EXPECT_EQ(f.edTime.Text(), "02.03.2026 00:00:01");
  EXPECT_EQ(h.log().back(), msg::kReadDone);
}

// --- Writes send back what the device holds ---

TEST(WriteContentsTest, LinkBlockIsReadAgainAndItsOtherWordsGoBack) {
  FormHarness h;
  h.MakeSupportedVela();
  h.ReadSettings();
  // Words the controls do not set (6 to 9) change in the device after the read.
  for (uint16_t r = 20668; r <= 20671; ++r) h.holding[r] = static_cast<uint16_t>(r - 20000);
  TForm1& f = h.form();
  f.cbSpeed.ChooseText("9600");
  f.cbAddress.ChooseText("12");
  f.Button3.Click();
  EXPECT_EQ(h.LastRequest().function, 3);  // the link block read
  h.AnswerAll();
  EXPECT_TRUE(h.LogHas(msg::kOperationDone));
  for (uint16_t r = 20668; r <= 20671; ++r) EXPECT_EQ(h.holding[r], r - 20000) << r;
  EXPECT_EQ(h.holding[20664], 0);  // 9600 from the box, not from the read
  EXPECT_EQ(h.holding[20663], 12);
  EXPECT_EQ(f.cbSpeed.Text(), "9600");
}

// Only settings read from the device connected, every field known, are written.
TEST(WriteContentsTest, UnknownSettingsAreNeverWritten) {
  struct Step {
    const char* name;
    std::function<void(FormHarness&)> change;
    const char* refusal;  // null: the write goes ahead
  };
  const Step steps[] = {
      {"nothing", [](FormHarness&) {}, nullptr},
      {"address", [](FormHarness& h) { h.form().cbAddr.ChooseText("2"); }, msg::kSettingsNotRead},
      {"port", [](FormHarness& h) { h.form().cbComPort.ChooseText("COM3"); },
       msg::kSettingsNotRead},
      {"deviceChange", [](FormHarness& h) { h.form().DeviceChange(TForm1::kDeviceArrived); },
       msg::kSettingsNotRead},
      {"interface", [](FormHarness& h) { h.form().cbInterfaceType.Choose(0); },
       msg::kSettingsNotRead},
      {"failedRead",
       [](FormHarness& h) {
         h.form().Button4.Click();
         h.loop().Advance(3000);  // nobody answers
       },
       msg::kSettingsNotRead},
      {"addressBlank", [](FormHarness& h) { h.form().cbAddress.SetItemIndex(-1); },
       msg::kSettingsIncomplete},
  };
  for (const Step& step : steps) {
    SCOPED_TRACE(step.name);
    FormHarness h;
    h.MakeSupportedVela();
    h.form().cbInterfaceType.Choose(1);
    h.ReadSettings();
    EXPECT_TRUE(h.form().Button3.Enabled());
    step.change(h);
    ASSERT_FALSE(h.form().Engine().FBusy);
    EXPECT_EQ(h.form().Button3.Enabled(), step.refusal == nullptr);
    const int sent = h.RequestCount();
    h.form().Engine().Start(TOperationKind::WriteSettings);  // as a front end would
    if (step.refusal) {
      EXPECT_EQ(h.RequestCount(), sent);
      EXPECT_EQ(h.log().back(), step.refusal);
      EXPECT_EQ(h.form().Engine().LastOutcome().reason, TOutcomeReason::SettingsUnknown);
    } else {
      EXPECT_EQ(h.LastRequest().function, 3);  // the link block first, then the writes
      h.form().FormKeyPress(27);
      h.form().FormKeyPress(27);
    }
  }
}

TEST(WriteContentsTest, AnotherDeviceAtTheWriteIsNotWritten) {
  FormHarness h;
  h.MakeSupportedVela();
  h.ReadSettings();
  h.holding[20672] ^= 1;  // the link block now names another serial number
  h.form().Button3.Click();
  h.AnswerAll();
  EXPECT_TRUE(h.LogHas(msg::kOtherDeviceForWrite));
  EXPECT_EQ(h.form().Engine().LastOutcome().reason, TOutcomeReason::OtherDevice);
  EXPECT_FALSE(h.form().Engine().FBusy);
  EXPECT_FALSE(h.form().Button3.Enabled());
  EXPECT_EQ(h.LastRequest().function, 3);  // nothing was written
}

struct FactoryFinalizeCase {
  const char* name;
  int unansweredBefore;  // time-outs before the device answers; 2: never
  const char* lastLine;
};

class FactoryFinalizeTest : public testing::TestWithParam<FactoryFinalizeCase> {};

// Over the working interface the device keeps its old link until finalized:
// FinalizePrm goes out on the factory link, then once on the old one, and
// the operation ends on the factory link either way.
TEST_P(FactoryFinalizeTest, TriesThePreviousLinkOnceAndEndsOnTheFactoryLink) {
  FormHarness h;
  h.MakeSupportedVela();
  TForm1& f = h.form();
  f.cbInterfaceType.Choose(1);
  f.ComboBox3.ChooseText("9600");
  h.ReadSettings();
  f.Button8.Click();
  for (int i = 0; i < 5; ++i) h.Answer();
  ASSERT_EQ(h.LastRequest().start, 20580);  // FinalizePrm at 38400 now
  for (int i = 0; i < GetParam().unansweredBefore; ++i) h.loop().Advance(510);
  if (GetParam().unansweredBefore == 1) {
    EXPECT_EQ(f.ComboBox3.Text(), "9600");  // finalize on the old link
  }
  if (GetParam().unansweredBefore < 2) h.AnswerAll();
  for (int i = 0; i < 4 && f.Engine().FBusy; ++i) h.loop().Advance(510);  // a silent read-back
  EXPECT_FALSE(f.Engine().FBusy);
  const std::string last = GetParam().lastLine;
  EXPECT_TRUE(h.LogHas(last.substr(0, last.find("\r\n")))) << f.Memo1.Text();
  EXPECT_EQ(h.LogCount(msg::kRepeatRequest), 0);
  EXPECT_EQ(f.ComboBox3.Text(), "38400");
}

INSTANTIATE_TEST_SUITE_P(
    Answers, FactoryFinalizeTest,
    testing::Values(FactoryFinalizeCase{"onFactoryLink", 0, msg::kFinalizeAnsweredOnFactoryLink},
                    FactoryFinalizeCase{"onPreviousLink", 1, msg::kFinalizeAnsweredOnPreviousLink},
                    FactoryFinalizeCase{"never", 2, msg::kFactoryLinkNoAnswer}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(WriteContentsTest, FactoryOverUsbChangesNothingOnTheProgramSide) {
  FormHarness h;
  h.MakeSupportedVela();
  h.ReadSettings();
  h.form().Button8.Click();
  for (int i = 0; i < 5; ++i) h.Answer();
  h.loop().Advance(510);
  const std::string text = msg::kFactoryLinkNoAnswer;
  EXPECT_FALSE(h.LogHas(text.substr(0, text.find("\r\n"))));
  EXPECT_TRUE(h.LogHas(msg::kRepeatRequest));
  h.form().FormKeyPress(27);
}

// --- Identification report ---

TEST(VerifyTest, FailedIdentificationReadIsNeverVouchedForByAnEarlierOne) {
  FormHarness h;
  h.MakeSupportedVela();
  TForm1& f = h.form();
  f.btnVerify.Click();
  h.AnswerAll();
  ASSERT_EQ(h.log().back(), "Алгоритм вычисления: хэширование");
  f.btnVerify.Click();
  h.ReplyException(2);  // this device has no identification block
  h.loop().Advance(260);
  h.AnswerAll();
  EXPECT_EQ(h.log().back(), msg::kVerifyFailed);
  EXPECT_FALSE(h.LogHas("Идентификационное наименование: Vela_sappl"));
}

// A failure of a button's own step or of port discovery is not a response to
// the job that happens to be current (left from the last operation, or
// running now): its message reaches the log, and the job's exception rule
// (old firmware note, skip at the next tick) stays out of it.
enum class Trigger { RecordFile, ProgramDigest, Discovery };
enum class JobState { IdleAfterSilentDevInfo, ContinuousAtDevInfo, ContinuousAtGetValues };

struct OutsideFailureCase {
  const char* name;
  JobState state;
  Trigger trigger;
};

const OutsideFailureCase kOutsideFailures[] = {
    {"recordAfterSilentDevice", JobState::IdleAfterSilentDevInfo, Trigger::RecordFile},
    {"digestAfterSilentDevice", JobState::IdleAfterSilentDevInfo, Trigger::ProgramDigest},
    {"discoveryAfterSilentDevice", JobState::IdleAfterSilentDevInfo, Trigger::Discovery},
    {"recordWhileDevInfoRuns", JobState::ContinuousAtDevInfo, Trigger::RecordFile},
    {"discoveryWhileDevInfoRuns", JobState::ContinuousAtDevInfo, Trigger::Discovery},
    {"recordWhileValuesRun", JobState::ContinuousAtGetValues, Trigger::RecordFile},
    {"discoveryWhileValuesRun", JobState::ContinuousAtGetValues, Trigger::Discovery},
};

class OutsideJobFailureTest : public testing::TestWithParam<OutsideFailureCase> {};

TEST_P(OutsideJobFailureTest, IsLoggedAndLeavesTheJobAlone) {
  const OutsideFailureCase& c = GetParam();
  FormHarness h;
  h.MakeSupportedVela();
  TForm1& f = h.form();
  if (c.state == JobState::IdleAfterSilentDevInfo) {
    f.Button4.Click();
    h.loop().Advance(250);
    ASSERT_FALSE(f.Engine().FBusy);
  } else {
    f.Button5.Click();
    if (c.state == JobState::ContinuousAtGetValues) {
      for (int i = 0; i < kPrefixLength; ++i) h.Answer();
    }
  }
  const uint8_t jobBefore = f.Engine().CurrentJob();
  std::string message;
  switch (c.trigger) {
    case Trigger::RecordFile:
      message = "/nonexistent-velalink-dir/values.csv";
      h.saveDialog().answer = message;
      f.BitBtn1.Click();
      EXPECT_EQ(f.BitBtn1.Glyph(), "CHK0");
      break;
    case Trigger::ProgramDigest:
      message = h.digestFailure = "Файл программы недоступен";
      f.btnVerify.Click();
      break;
    case Trigger::Discovery:
      message = h.discoveryFailure = "Список портов недоступен";
      f.DeviceChange(TForm1::kDeviceArrived);
      break;
  }
  EXPECT_NE(f.Memo1.Text().find(message), std::string::npos) << f.Memo1.Text();
  EXPECT_EQ(f.Engine().CurrentJob(), jobBefore);
  EXPECT_FALSE(f.Engine().FSkipOnNextTick);
  EXPECT_TRUE(f.Engine().FPendingOldFirmware.empty());
  if (c.state == JobState::IdleAfterSilentDevInfo) {
    // The next read against the silent device stops at its own time-out.
    f.Button4.Click();
    h.loop().Advance(250);
    EXPECT_FALSE(f.Engine().FBusy);
    ASSERT_EQ(h.log().size(), 2u);  // the time-out, and what to check
    EXPECT_EQ(h.log()[0], msg::kIdentNoAnswer);
  } else {
    h.AnswerAll(12);
    EXPECT_FALSE(h.LogHas(msg::kOldFirmware));
    EXPECT_TRUE(f.Engine().FContinuousRunning);
    f.Button5.Click();
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, OutsideJobFailureTest, testing::ValuesIn(kOutsideFailures),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela::test

namespace vela::test {
namespace {

struct FactoryAnswer {
  const char* name;
  bool yes;
};

class FactoryQuestionTest : public testing::TestWithParam<FactoryAnswer> {};

// The factory settings are written only when the operator says yes to what
// will change on the working interface.
TEST_P(FactoryQuestionTest, WritesOnlyOnYes) {
  struct TAnsweringBox : TMessageBox {
    void Show(const std::string&, const std::string&) override {}
    bool Ask(const std::string&, const std::string& text) override {
      asked = text;
      return yes;
    }
    std::string asked;
    bool yes = false;
  } box;
  box.yes = GetParam().yes;
  FormHarness h(false, &box);
  h.MakeSupportedVela();
  h.form().Button8.Click();
  EXPECT_NE(box.asked.find("Заводские установки рабочего интерфейса: протокол MODBUS RTU, скорость "
                           "38400, формат 8E1, адрес 1, 4-х проводная сеть."),
            std::string::npos)
      << box.asked;
  EXPECT_EQ(h.form().Engine().Busy(), GetParam().yes);
  EXPECT_EQ(h.RequestCount() > 0, GetParam().yes);
}

INSTANTIATE_TEST_SUITE_P(Answers, FactoryQuestionTest,
                         testing::Values(FactoryAnswer{"yes", true}, FactoryAnswer{"no", false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela::test
