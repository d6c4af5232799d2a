#pragma once
// Requests left without an answer, one run after another within an
// operation. The first run of an operation is where the operator learns what
// to check; during continuous reading a run is said when it starts and summed
// up (how many requests, since when) when it ends, not once per time-out.

#include <string>

#include "app/EngineSettings.h"
#include "common/DateTime.h"

namespace vela {

class TNoAnswerRun {
 public:
  // A new operation: the next time-out is the first of its first run.
  void Reset();
  // A request timed out at now. True when it starts a run: the caller logs it.
  bool TimedOut(TDateTime now);
  // True once per operation, at the start of its first run.
  bool TakeHint();
  bool Running() const { return count_ > 0; }
  // The run ends (an answer came, or the operation stopped): its summary
  // when it had more than one time-out, else empty.
  std::string End();

 private:
  int count_ = 0;
  TDateTime startedAt_ = 0;
  bool hintGiven_ = false;
  bool hintDue_ = false;
};

// The line that says what to check when a device does not answer: the
// link's port, protocol, speed, frame and address, and that a search tries
// them all.
std::string WhatToCheckText(const TProgramLink& link);

}  // namespace vela
