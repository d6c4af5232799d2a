#include "tests/support/QuietClock.h"

#include "common/HandOver.h"

namespace vela::test {

int64_t TQuietClock::MonotonicMs() const {
  if (handover::InGuiThread() && handover::PendingCount() == 0 && line_.Quiet()) {
    clock_.Advance(1);
    line_.TimeMoved();
    handover::Wake();
  }
  return clock_.MonotonicMs();
}

}  // namespace vela::test
