// Every exchange is a typed event, from the Modbus sequencer and the IEC link
// master alike: a request that goes again after no answer is marked a repeat.

#include <gtest/gtest.h>

#include "tests/app/FormHarness.h"

namespace vela::test {
namespace {

struct RepeatCase {
  const char* name;
  bool iec;
};

class ExchangeEventTest : public testing::TestWithParam<RepeatCase> {};

TEST_P(ExchangeEventTest, RequestAfterATimeOutIsARepeat) {
  FormHarness h;
  TForm1& f = h.form();
  if (GetParam().iec) {
    f.cbInterfaceType.Choose(1);
    ASSERT_TRUE(f.ComboBox2.ChooseText("IEC 60870-5-101"));
  }
  std::vector<TExchangeEvent> events;
  f.Engine().OnExchange = [&](const TExchangeEvent& e) { events.push_back(e); };
  f.Button5.Click();  // continuous reading goes on asking a silent device
  for (int i = 0; i < 4; ++i) h.loop().Advance(1000);
  f.Button5.Click();
  std::vector<bool> repeats;
  for (const TExchangeEvent& e : events) {
    if (e.kind == TExchangeEventKind::RequestSent) repeats.push_back(e.repeat);
  }
  ASSERT_GE(repeats.size(), 3u);
  EXPECT_FALSE(repeats[0]);
  EXPECT_TRUE(repeats[1]);
  EXPECT_TRUE(repeats[2]);
  EXPECT_GE(
      std::count_if(events.begin(), events.end(),
                    [](const TExchangeEvent& e) { return e.kind == TExchangeEventKind::TimedOut; }),
      2);
}

INSTANTIATE_TEST_SUITE_P(Protocols, ExchangeEventTest,
                         testing::Values(RepeatCase{"modbus", false}, RepeatCase{"iec", true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela::test
