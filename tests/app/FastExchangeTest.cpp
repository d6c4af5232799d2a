// The form's fast exchange: every answer of a read and of a write is whole for
// the port's answer test in fast mode; without it no test is set.

#include <gtest/gtest.h>

#include <algorithm>

#include "app/Messages.h"
#include "tests/app/FormHarness.h"

namespace vela::test {
namespace {

class FastExchangeFormTest : public testing::TestWithParam<std::tuple<bool, const char*>> {};

TEST_P(FastExchangeFormTest, EveryAnswerIsWholeForThePortOnlyInFastMode) {
  const auto [fast, protocol] = GetParam();
  FormHarness h(fast);
  h.MakeSupportedVela();
  TForm1& f = h.form();
  f.cbInterfaceType.Choose(1);
  ASSERT_TRUE(f.ComboBox2.ChooseText(protocol));
  int replies = 0, accepted = 0;
  h.onReply = [&](const Octets& frame) {
    ++replies;
    if (f.Engine().FPort->AnswerIsComplete(frame)) ++accepted;
  };
  f.Button4.Click();
  h.AnswerAll();
  EXPECT_TRUE(h.LogHas(msg::kReadDone));
  f.Button3.Click();  // reads the link block, then writes it
  h.AnswerAll();
  EXPECT_TRUE(h.LogHas(msg::kOperationDone));
  EXPECT_GT(replies, 8);
  EXPECT_EQ(accepted, fast ? replies : 0);
  EXPECT_EQ(f.Engine().FPort->FastExchange(), fast);
  const auto& trace = h.trace();
  EXPECT_NE(std::find(trace.begin(), trace.end(),
                      fast ? msg::kFastExchangeTrace : msg::kSilenceExchangeTrace),
            trace.end());
}

INSTANTIATE_TEST_SUITE_P(Modes, FastExchangeFormTest,
                         testing::Combine(testing::Bool(),
                                          testing::Values("MODBUS RTU", "MODBUS ASCII")),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param) ? "Fast" : "Default") +
                                  (std::string(std::get<1>(info.param)) == "MODBUS RTU" ? "Rtu"
                                                                                        : "Ascii");
                         });

}  // namespace
}  // namespace vela::test
