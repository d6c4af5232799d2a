#include <gtest/gtest.h>

#include "app/CycleFigures.h"

namespace vela {
namespace {

// The first cycle (with the rest of the prefix) takes firstMs, every later
// one cycleMs; each has six exchanges of 8 octets out and 7 back.
struct CycleCase {
  int started;  // cycles begun, the last one still running
  int firstMs, cycleMs;
  int measured;
  double meanMs;
};

TEST(CycleFiguresTest, CycleFiguresComeFromWholeCyclesAfterTheFirst) {
  const CycleCase cases[] = {{0, 900, 350, 0, 0},
                             {1, 900, 350, 0, 0},
                             {2, 900, 350, 1, 900},  // only the first is whole
                             {5, 900, 350, 3, 350},
                             {100000, 900, 350, 99998, 350}};  // a long watch
  for (const CycleCase& c : cases) {
    TCycleCounter counter;
    int64_t nowMs = 0;
    for (int i = 0; i < c.started; ++i) {
      if (i > 0) nowMs += i == 1 ? c.firstMs : c.cycleMs;
      counter.Count({TExchangeEventKind::CycleStarted, nowMs});
      for (int exchange = 0; exchange < 6; ++exchange) {
        counter.Count({TExchangeEventKind::RequestSent, nowMs, 8});
        counter.Count({TExchangeEventKind::Answer, nowMs, 7});
        counter.Count({TExchangeEventKind::ReadingCompleted, nowMs});
      }
    }
    const TCycleFigures f = counter.Figures();
    SCOPED_TRACE(c.started);
    EXPECT_EQ(f.cycles, c.measured);
    EXPECT_DOUBLE_EQ(f.meanCycleMs, c.meanMs);
    if (c.measured == 0) continue;
    EXPECT_EQ(f.exchangesPerCycle, 6);
    EXPECT_EQ(f.octetsWritten, 48);
    EXPECT_EQ(f.octetsRead, 42);
  }
}

}  // namespace
}  // namespace vela
