// A device that does not answer: the operator learns once per operation what
// to check, a run of time-outs in continuous reading is said once and summed
// up when answers return, and the device is no longer named in the caption.

#include <gtest/gtest.h>

#include "app/Messages.h"
#include "tests/app/FormHarness.h"

namespace vela::test {
namespace {

bool StartsWith(const std::string& text, const std::string& start) {
  return text.rfind(start, 0) == 0;
}

int LinesStartingWith(const FormHarness& h, const std::string& start) {
  int count = 0;
  for (const std::string& line : h.log()) count += StartsWith(line, start) ? 1 : 0;
  return count;
}

struct SilenceCase {
  const char* name;
  bool continuous;
  int timeOuts;  // requests left unanswered in a row
  const char* noAnswerLine;
  const char* summary;  // the line that ends the run; "" when none
};

class NoAnswerTest : public testing::TestWithParam<SilenceCase> {};

TEST_P(NoAnswerTest, SaidOnceWithWhatToCheckAndSummedUp) {
  const SilenceCase& c = GetParam();
  FormHarness h;
  h.MakeSupportedVela();
  h.form().Button4.Click();  // a first read shows the device's serial number
  h.AnswerAll();
  ASSERT_FALSE(h.form().Engine().SerialCaption().empty());
  const int before = h.RequestCount();
  (c.continuous ? h.form().Button5 : h.form().Button4).Click();
  // Each time-out sends the request again: timeOuts of them, then the next request.
  while (h.RequestCount() - before <= c.timeOuts && h.form().Engine().FBusy) h.loop().Advance(10);
  EXPECT_TRUE(h.form().Engine().SerialCaption().empty());
  if (c.continuous) h.Answer();
  EXPECT_EQ(h.LogCount(c.noAnswerLine), 1);
  EXPECT_EQ(LinesStartingWith(h, "Проверьте: порт COM1 и кабель USB"), 1);
  EXPECT_EQ(LinesStartingWith(h, "Нет ответа с "), *c.summary ? 1 : 0);
  if (*c.summary) {
    EXPECT_TRUE(h.LogHas(c.summary)) << h.form().Memo1.Text();
  }
  if (c.continuous) h.form().FormKeyPress(27);
}

INSTANTIATE_TEST_SUITE_P(
    Operations, NoAnswerTest,
    testing::Values(SilenceCase{"ReadOnce", false, 1, msg::kIdentNoAnswer, ""},
                    SilenceCase{"ContinuousFiveTimeOuts", true, 5, msg::kIdentNoAnswerEsc,
                                "Нет ответа с 12:00:00: запросов без ответа — 5."}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela::test
