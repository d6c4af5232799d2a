// An IEC 60870-5-101 device that stops answering: as over MODBUS, the
// operator learns once per operation what to check, each run of time-outs in
// continuous reading is said once and summed up when answers return, and the
// device is no longer named in the caption. On the virtual clock.

#include <gtest/gtest.h>

#include <string>

#include "app/Messages.h"
#include "iec101/IecDeviceOptions.h"
#include "tests/app/FormHarness.h"
#include "tests/app/IecTestFrames.h"

namespace vela::test {
namespace {

using namespace iec;

int LinesStartingWith(const FormHarness& h, const std::string& start) {
  int count = 0;
  for (const std::string& line : h.log()) count += line.rfind(start, 0) == 0 ? 1 : 0;
  return count;
}

int LastFunction(FormHarness& h) {
  const Octets frame = h.line().Written().back();
  return static_cast<uint8_t>(frame[frame[0] == 0x10 ? 1 : 4]) & 0x0F;
}

// The device's answer to the request it was sent last.
void Answer(FormHarness& h) {
  switch (LastFunction(h)) {
    case 9:
      h.ReplyIec(Fixed(fc::kLinkStatus));
      return;
    case 0:
    case 3:
      h.ReplyIec(Fixed(fc::kAck));
      return;
    default:
      h.ReplyIec(Data(Measured(asdu_type::kMeasuredFloat, 1, 1, Values())));
      return;
  }
}

struct SilenceCase {
  const char* name;
  bool continuous;
  int outages;          // silences, each followed by answers again
  int noAnswerLines;    // "Непрерывное чтение: нет ответа ..."
  int linkFailedLines;  // the read once's failure
};

class IecNoAnswer : public testing::TestWithParam<SilenceCase> {};

TEST_P(IecNoAnswer, SaidOnceWithWhatToCheckAndSummedUp) {
  const SilenceCase& c = GetParam();
  FormHarness h;
  h.MakeSupportedVela();
  h.form().Button4.Click();  // a first read over MODBUS shows the serial number
  h.AnswerAll();
  h.form().Engine().IecDeviceOptions() = TIecDeviceOptions::Factory();
  h.form().cbInterfaceType.Choose(1);
  ASSERT_TRUE(h.form().ComboBox2.ChooseText("IEC 60870-5-101"));
  ASSERT_TRUE(h.form().Engine().InIecMode());
  ASSERT_FALSE(h.form().Engine().SerialCaption().empty());
  (c.continuous ? h.form().Button5 : h.form().Button4).Click();
  std::vector<size_t> unanswered;  // requests timed out in each outage
  for (int outage = 0; outage < c.outages && h.form().Engine().FBusy; ++outage) {
    // Read once is silent from its start; continuous reading reads first.
    for (int i = 0; c.continuous && i < 4; ++i) Answer(h);
    const size_t before = h.line().Written().size();
    h.loop().Advance(
        5000);  // the device is silent
                // Every request sent in the silence but the last one timed out, and the
    // one before the silence too.
    unanswered.push_back(h.line().Written().size() - before);
    if (h.form().Engine().FBusy) Answer(h);
  }
  EXPECT_TRUE(h.form().Engine().SerialCaption().empty());
  if (c.continuous) {
    h.form().FormKeyPress(27);
    for (int i = 0; i < 4 && h.form().Engine().FBusy; ++i) Answer(h);
  }
  EXPECT_EQ(h.LogCount(msg::kIecNoAnswerEsc), c.noAnswerLines) << h.form().Memo1.Text();
  EXPECT_EQ(h.LogCount(msg::kIecLinkFailed), c.linkFailedLines) << h.form().Memo1.Text();
  EXPECT_EQ(LinesStartingWith(h, "Проверьте: порт "), 1) << h.form().Memo1.Text();
  ASSERT_EQ(LinesStartingWith(h, "Нет ответа с "), c.continuous ? c.outages : 0)
      << h.form().Memo1.Text();
  if (c.continuous) {
    const std::string text = h.form().Memo1.Text();
    for (size_t count : unanswered) {
      EXPECT_NE(text.find(": запросов без ответа — " + std::to_string(count) + "."),
                std::string::npos)
          << count << "\n"
          << text;
    }
    EXPECT_EQ(h.LogCount(msg::kLinkRestored), c.outages);
  }
}

INSTANTIATE_TEST_SUITE_P(Operations, IecNoAnswer,
                         testing::Values(SilenceCase{"ReadOnce", false, 1, 0, 1},
                                         SilenceCase{"ContinuousOneOutage", true, 1, 1, 0},
                                         SilenceCase{"ContinuousTwoOutages", true, 2, 2, 0}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela::test
