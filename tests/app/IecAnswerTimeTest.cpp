// The wait for a station interrogation's values follows the device's answer
// time: five seconds at the start value, twelve answer times on a slower
// device. Read once against a device that answers every request after a
// pause and has nothing to send for a number of polls after confirming the
// interrogation, on the virtual clock.

#include <gtest/gtest.h>

#include <vector>

#include "app/IecWorkflows.h"
#include "app/Messages.h"
#include "iec101/IecSettings.h"
#include "tests/app/FormHarness.h"
#include "tests/app/IecTestFrames.h"

namespace vela::test {
namespace {

using namespace iec;

struct WaitCase {
  const char* name;
  uint32_t answerTimeMs;  // the connection dialog's answer time
  unsigned pauseMs;       // before every answer of the device
  int emptyPolls;         // "no data" after the interrogation's confirmation
  bool read;              // the values came and the read ended done
};

class IecAnswerTimeWait : public ::testing::TestWithParam<WaitCase> {};

TEST_P(IecAnswerTimeWait, InterrogatedValuesAreWaitedFor) {
  const WaitCase& c = GetParam();
  FormHarness h;
  TForm1& f = h.form();
  ASSERT_TRUE(
      h.ChooseIec([&](TIecOptions& options) { options.connection.answerTimeMs = c.answerTimeMs; }));
  f.Button4.Click();
  // Link reset, an empty class 2 poll, the interrogation confirmed at the
  // link, then its confirmation, the empty polls, its values and termination.
  std::vector<Octets> replies = {Fixed(fc::kLinkStatus), Fixed(fc::kAck), Fixed(fc::kNoData),
                                 Fixed(fc::kAck),
                                 Data(Interrogation(asdu_cause::kActivationConfirmation))};
  replies.insert(replies.end(), static_cast<size_t>(c.emptyPolls), Fixed(fc::kNoData));
  replies.push_back(Data(Measured(asdu_type::kMeasuredFloat, 20, 1, Values())));
  replies.push_back(Data(Interrogation(10)));
  for (const Octets& reply : replies) {
    if (!f.Engine().FBusy) break;  // the read gave up waiting
    h.loop().Advance(c.pauseMs);
    h.ReplyIec(reply);
  }
  h.loop().Advance(60000);
  ASSERT_FALSE(h.log().empty());
  EXPECT_EQ(h.log().back() == msg::kReadDone, c.read) << h.log().back();
  EXPECT_EQ(f.Engine().Cells()[slotF].State() == cvsValue, c.read);
  EXPECT_FALSE(f.Engine().FBusy);
}

// The bound is set when the interrogation is confirmed at the link; the
// confirmation and each empty poll take one pause.
const WaitCase kWaitCases[] = {
    {"StartValueWaitsUnderFiveSeconds", kDefaultAnswerTimeMs, 300, 15, true},  // 4.8 s
    {"StartValueGivesUpAtFiveSeconds", kDefaultAnswerTimeMs, 300, 16, false},  // 5.1 s
    {"SlowDeviceWaitsTwelveAnswerTimes", 2000, 1500, 14, true},                // 22.5 s
    {"SlowDeviceGivesUpAfterTwelveAnswerTimes", 2000, 1500, 15, false},        // 24 s
};

INSTANTIATE_TEST_SUITE_P(Reads, IecAnswerTimeWait, ::testing::ValuesIn(kWaitCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela::test
