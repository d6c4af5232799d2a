// Every Modbus operation ends with one typed outcome that says how it ended
// and why, whatever the log says beside it.

#include <gtest/gtest.h>

#include "tests/app/FormHarness.h"

namespace vela::test {
namespace {

enum class Device { AnswersAll, Silent, RefusesFirst, CannotOpen, StoppedByOperator, Escaped };

struct OutcomeCase {
  const char* name;
  TButton TForm1::*button;
  bool readSettingsFirst;
  Device device;
  TOperationKind kind;
  TOutcomeEnd end;
  TOutcomeReason reason;
};

const OutcomeCase kCases[] = {
    {"readOnce", &TForm1::Button4, false, Device::AnswersAll, TOperationKind::ReadOnce,
     TOutcomeEnd::Done, TOutcomeReason::None},
    {"readOnceSilent", &TForm1::Button4, false, Device::Silent, TOperationKind::ReadOnce,
     TOutcomeEnd::Failed, TOutcomeReason::NoAnswer},
    {"readOnceNoPort", &TForm1::Button4, false, Device::CannotOpen, TOperationKind::ReadOnce,
     TOutcomeEnd::Failed, TOutcomeReason::PortNotOpened},
    {"continuousStopped", &TForm1::Button5, false, Device::StoppedByOperator,
     TOperationKind::Continuous, TOutcomeEnd::Cancelled, TOutcomeReason::None},
    {"clock", &TForm1::Button1, false, Device::AnswersAll, TOperationKind::SyncClock,
     TOutcomeEnd::Done, TOutcomeReason::None},
    {"clockRefused", &TForm1::Button1, false, Device::RefusesFirst, TOperationKind::SyncClock,
     TOutcomeEnd::Failed, TOutcomeReason::DeviceException},
    {"settings", &TForm1::Button7, false, Device::AnswersAll, TOperationKind::ReadSettings,
     TOutcomeEnd::Done, TOutcomeReason::None},
    {"write", &TForm1::Button3, true, Device::AnswersAll, TOperationKind::WriteSettings,
     TOutcomeEnd::Done, TOutcomeReason::None},
    {"writeEscaped", &TForm1::Button3, true, Device::Escaped, TOperationKind::WriteSettings,
     TOutcomeEnd::Cancelled, TOutcomeReason::None},
    {"factory", &TForm1::Button8, true, Device::AnswersAll, TOperationKind::WriteFactory,
     TOutcomeEnd::Done, TOutcomeReason::None},
    {"verify", &TForm1::btnVerify, false, Device::AnswersAll, TOperationKind::Identification,
     TOutcomeEnd::Done, TOutcomeReason::None},
};

class OperationOutcomeTest : public testing::TestWithParam<OutcomeCase> {};

TEST_P(OperationOutcomeTest, EndsWithOneOutcome) {
  const OutcomeCase& c = GetParam();
  FormHarness h;
  h.MakeSupportedVela();
  if (c.readSettingsFirst) h.ReadSettings();
  TForm1& f = h.form();
  std::vector<TOperationOutcome> outcomes;
  f.Engine().OnOperationOutcome = [&](const TOperationOutcome& o) { outcomes.push_back(o); };
  if (c.device == Device::CannotOpen) h.line().FailNextOpen("занят");
  (f.*c.button).Click();
  if (c.button == &TForm1::Button1) h.loop().Advance(1500);  // the clock tick
  switch (c.device) {
    case Device::AnswersAll:
      h.AnswerAll();
      break;
    case Device::Silent:
      for (int i = 0; i < 50 && f.Engine().FBusy; ++i) h.loop().Advance(600);
      break;
    case Device::RefusesFirst:
      h.ReplyException(3);
      for (int i = 0; i < 50 && f.Engine().FBusy; ++i) h.loop().Advance(600);
      break;
    case Device::Escaped:  // a write repeats its request until the operator gives up
      h.loop().Advance(2000);
      f.FormKeyPress(27);  // then it reads back what the device holds
      for (int i = 0; i < 20 && f.Engine().FBusy; ++i) h.loop().Advance(600);
      break;
    case Device::StoppedByOperator:
      h.AnswerAll(12);
      f.Button5.Click();
      break;
    case Device::CannotOpen:
      break;
  }
  ASSERT_FALSE(f.Engine().FBusy);
  ASSERT_EQ(outcomes.size(), 1u);
  const TOperationOutcome& o = outcomes.front();
  EXPECT_EQ(o.kind, c.kind);
  EXPECT_EQ(o.end, c.end);
  EXPECT_EQ(o.reason, c.reason);
  EXPECT_EQ(f.Engine().LastOutcome().end, c.end);
  if (c.kind == TOperationKind::ReadOnce && c.end == TOutcomeEnd::Done) {
    EXPECT_TRUE(o.valuesShown);
    EXPECT_FALSE(o.clockText.empty());
  }
  if (c.kind == TOperationKind::ReadSettings) {
    EXPECT_TRUE(o.settings.has_value());
  }
  if (c.kind == TOperationKind::Identification) {
    ASSERT_TRUE(o.identification.has_value());
    EXPECT_TRUE(o.identification->verified);
  }
}

INSTANTIATE_TEST_SUITE_P(Operations, OperationOutcomeTest, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela::test
