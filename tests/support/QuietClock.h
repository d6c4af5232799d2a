#pragma once
// A virtual clock that runs by itself while the simulated line is quiet: each
// time the GUI thread reads it then, it moves a millisecond on and wakes the
// event loop, so that a front end waiting on its own loop reaches its
// time-outs without sleeping. While an answer is due or being handed over it
// stands still, so no time-out overtakes an answer the device gave in time.

#include "common/Clock.h"
#include "tests/support/SimLine.h"

namespace vela::test {

class TQuietClock : public Clock {
 public:
  TQuietClock(VirtualClock& clock, TSimLine& line) : clock_(clock), line_(line) {}

  TDateTime Now() const override { return clock_.Now(); }
  int64_t MonotonicMs() const override;

 private:
  VirtualClock& clock_;
  TSimLine& line_;
};

}  // namespace vela::test
