// A stopped operation whose last request is still unanswered: the port stays
// open until the answer comes, which is dropped unseen, or until its time-out
// passes. Closed at once, the line would keep the late answer for whoever
// opens it next, and spoil that program's first exchange.

#include "app/Engine.h"

namespace vela {

void TVelaEngine::ClosePortWhenAnswered() {
  const std::optional<int64_t> due = std::exchange(FAnswerDueMs, std::nullopt);
  const int64_t leftMs = due ? *due - FSeams.clock.MonotonicMs() : 0;
  if (!FSeams.awaitLateAnswer || leftMs <= 0 || !FPort->IsOpen()) {
    FPort->Close();
    return;
  }
  if (!FLateAnswerTimer) {
    FLateAnswerTimer = FSeams.timers.CreateTimer();
    FLateAnswerTimer->OnTimer = Guarded(&TVelaEngine::EndLateAnswerWait);
  }
  FLateAnswerTimer->SetInterval(static_cast<unsigned>(leftMs));
  FLateAnswerTimer->SetEnabled(true);
}

void TVelaEngine::EndLateAnswerWait() {
  if (!AwaitingLateAnswer()) return;
  FLateAnswerTimer->SetEnabled(false);
  FPort->Close();
}

}  // namespace vela
