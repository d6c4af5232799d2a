#pragma once
// The figures of continuous reading, counted from exchange events: how many
// whole cycles ran and how long they took on average, and the exchanges and
// octets of the last whole cycle. Reading may go on for days: only what the
// figures need is kept.

#include <cstdint>

#include "common/ExchangeEvent.h"

namespace vela {

struct TCycleFigures {
  int cycles = 0;             // whole cycles measured
  double meanCycleMs = 0;     // over those cycles
  int exchangesPerCycle = 0;  // of the last whole cycle
  int64_t octetsWritten = 0;  // of the last whole cycle
  int64_t octetsRead = 0;
};

class TCycleCounter {
 public:
  void Count(const TExchangeEvent& event);
  TCycleFigures Figures() const;

 private:
  struct TCycle {
    int64_t startMs = 0;
    int exchanges = 0;
    int64_t written = 0, read = 0;
  };

  int64_t cycleCount_ = 0;
  int64_t firstStartsMs_[2] = {0, 0};  // of the first two cycles
  TCycle previous_, current_;          // current_ is still running
};

}  // namespace vela
