#include <gtest/gtest.h>

#include "app/cli/CliTrace.h"

namespace vela::cli {
namespace {

TEST(CliTraceTest, CycleFiguresComeFromWholeCyclesAfterTheFirst) {
  VirtualClock clock;
  TCliTrace trace(clock, nullptr, false);
  EXPECT_EQ(trace.Figures().cycles, 0);
  // The first cycle (with the rest of the prefix) takes longer.
  const int starts[] = {0, 900, 1250, 1600, 1950};
  int now = 0;
  for (int i = 0; i < 5; ++i) {
    clock.Advance(starts[i] - now);
    now = starts[i];
    trace.Send("    <GetLinkPrm4>");
    for (int exchange = 0; exchange < 6; ++exchange) {
      trace.Send(" Wr: 0103506A0001ABCD");  // 8 octets
      trace.Send(" Rd: 01030200010203");    // 7 octets
      trace.Send("    <Значения прочитаны.>");
    }
  }
  const TCycleFigures f = trace.Figures();
  EXPECT_EQ(f.cycles, 3);
  EXPECT_DOUBLE_EQ(f.meanCycleMs, 350.0);
  EXPECT_EQ(f.exchangesPerCycle, 6);
  EXPECT_EQ(f.octetsWritten, 48);
  EXPECT_EQ(f.octetsRead, 42);
}

}  // namespace
}  // namespace vela::cli
