// Continuous reading in IEC 60870-5-101 mode against a scripted device on the
// virtual clock: when it interrogates the station, and which cells an image
// kept by events and interrogations still shows.

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "app/Messages.h"
#include "iec101/IecSettings.h"
#include "tests/app/FormHarness.h"
#include "tests/app/IecTestFrames.h"

namespace vela::test {
namespace {

using namespace iec;

constexpr unsigned kPollGapMs = 100;  // the device's time per answer
constexpr uint8_t kEndOfInitialisation = 70;

struct ContinuousCase {
  const char* name;
  uint32_t periodS;          // interrogation period; 0: none
  bool terminates;           // the device ends its interrogations
  bool eventsOfAddress1;     // every empty poll brings a spontaneous f
  int restartAtMs;           // the device restarts here (-1: never)
  bool restartSaysNotReady;  // function 14 (else end of initialisation)
  int runMs;
  int interrogations;  // sent during the run
  int shownAtEnd;      // cells with a value at the end
};

class IecContinuous : public ::testing::TestWithParam<ContinuousCase> {};

Octets Asdu(uint8_t type, uint8_t cause) {
  TArkOutAsdu asdu(kStartLengths, type, cause, 1);
  asdu.SetObjectCount(1);
  asdu.AppendObjectAddress(0);
  asdu.AppendOctets(Octets(1, '\0'));
  return asdu.AsOctets();
}

TEST_P(IecContinuous, InterrogatesAndKeepsTheImage) {
  const ContinuousCase& c = GetParam();
  FormHarness h;
  TForm1& f = h.form();
  ASSERT_TRUE(h.ChooseIec(
      [&](TIecOptions& options) { options.connection.interrogationPeriodS = c.periodS; }));
  f.Button5.Click();
  std::deque<Octets> queued;  // class 2 data the device holds
  int interrogations = 0;
  bool restarted = false;
  for (int elapsed = 0; elapsed < c.runMs; elapsed += kPollGapMs) {
    const Octets frame = h.line().Written().back();
    const int function = static_cast<uint8_t>(frame[frame[0] == 0x10 ? 1 : 4]) & 0x0F;
    if (!restarted && c.restartAtMs >= 0 && elapsed >= c.restartAtMs && function == 11) {
      restarted = true;
      h.ReplyIec(c.restartSaysNotReady ? Fixed(fc::kServiceNotFunctioning)
                                       : Data(Asdu(kEndOfInitialisation, 4)));
    } else if (function == 9) {
      h.ReplyIec(Fixed(fc::kLinkStatus));
    } else if (function == 0) {
      h.ReplyIec(Fixed(fc::kAck));
    } else if (function == 3) {
      ++interrogations;
      queued = {Data(Interrogation(asdu_cause::kActivationConfirmation)),
                Data(Measured(asdu_type::kMeasuredFloat, 20, 1, Values()))};
      if (c.terminates) queued.push_back(Data(Interrogation(10)));
      h.ReplyIec(Fixed(fc::kAck));
    } else if (!queued.empty()) {
      h.ReplyIec(queued.front());
      queued.pop_front();
    } else if (c.eventsOfAddress1) {
      h.ReplyIec(Data(Measured(asdu_type::kMeasuredFloat, 3, 1, {{1, 50}})));
    } else {
      h.ReplyIec(Fixed(fc::kNoData));
    }
    h.loop().Advance(kPollGapMs);
  }
  EXPECT_EQ(interrogations, c.interrogations);
  int shown = 0;
  for (int slot = 0; slot < kSlotCount; ++slot)
    shown += f.Engine().Cells()[slot].State() == cvsValue;
  EXPECT_EQ(shown, c.shownAtEnd);
  EXPECT_TRUE(f.Engine().FContinuousRunning);
  EXPECT_EQ(h.log().back(), msg::kContinuousReading);
  f.Button5.Click();
  h.ReplyIec(Fixed(fc::kNoData));  // stopped at an empty poll: ends as a read does
  EXPECT_EQ(h.log().back(), msg::kReadDone);
  EXPECT_FALSE(f.Engine().FBusy);
}

const ContinuousCase kContinuousCases[] = {
    {"OnceAtTheStartNeverPerEmptyPoll", 0, true, false, -1, false, 4000, 1, 28},
    {"AtItsPeriod", 3, true, false, -1, false, 9500, 4, 28},
    {"NeverWhileOneRuns", 1, false, false, -1, false, 9500, 2, 28},
    {"AfterTheDeviceSaysItsLinkIsDown", 0, true, false, 5000, true, 9000, 2, 28},
    {"AfterTheDeviceRestarted", 0, true, false, 5000, false, 9000, 2, 28},
    {"StaleValuesAreHidden", 0, true, false, -1, false, 12000, 1, 0},
    {"EventsKeepTheirCellCurrent", 0, true, true, -1, false, 12000, 1, 1},
};

INSTANTIATE_TEST_SUITE_P(Cases, IecContinuous, ::testing::ValuesIn(kContinuousCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela::test
