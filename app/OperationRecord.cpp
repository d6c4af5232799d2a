#include "app/OperationRecord.h"

#include <iterator>

namespace vela {

const TBlockResult* TOperationOutcome::Block(uint8_t job) const {
  for (const TBlockResult& block : blocks) {
    if (block.job == job) return &block;
  }
  return nullptr;
}

const char* OutcomeEndName(TOutcomeEnd end) {
  static constexpr const char* kNames[] = {"done", "failed", "cancelled", "refused"};
  const auto index = static_cast<size_t>(end);
  return index < std::size(kNames) ? kNames[index] : "failed";
}

const char* OutcomeReasonName(TOutcomeReason reason) {
  static constexpr const char* kNames[] = {"none",           "port-not-opened",  "send-failed",
                                           "no-answer",      "bad-frame",        "device-exception",
                                           "port-lost",      "not-confirmed",    "no-data",
                                           "link-not-ready", "unknown-device",   "modbus-only",
                                           "other",          "settings-unknown", "other-device"};
  const auto index = static_cast<size_t>(reason);
  return index < std::size(kNames) ? kNames[index] : "other";
}

const char* WriteStateName(TWriteState state) {
  static constexpr const char* kNames[] = {"written", "not-written", "unknown"};
  const auto index = static_cast<size_t>(state);
  return index < std::size(kNames) ? kNames[index] : "unknown";
}

bool TWriteReport::Partial() const {
  for (const TWrittenBlock& block : blocks) {
    if (block.state != TWriteState::NotWritten) return true;
  }
  return false;
}

void TOperationRecord::Begin(TOperationKind kind, bool iec) {
  *this = TOperationRecord();
  active_ = true;
  outcome_.kind = kind;
  outcome_.iec = iec;
}

TBlockResult& TOperationRecord::Entry(uint8_t job) {
  for (TBlockResult& block : outcome_.blocks) {
    if (block.job == job) return block;
  }
  // A job code is one of about twenty: the list stays short even when a
  // continuous reading runs for days.
  outcome_.blocks.push_back(TBlockResult{});
  outcome_.blocks.back().job = job;
  return outcome_.blocks.back();
}

void TOperationRecord::Sent(uint8_t job) {
  if (!active_) return;
  TBlockResult& block = Entry(job);
  block = TBlockResult{};
  block.job = job;
  block.sent = true;
  last_ = static_cast<int>(&block - outcome_.blocks.data());
}

void TOperationRecord::Answered(uint8_t job, TDateTime at) {
  if (!active_) return;
  TBlockResult& block = Entry(job);
  if (!block.answered) block.answeredAt = at;
  block.answered = true;
}

void TOperationRecord::Taken(uint8_t job) {
  if (active_) Entry(job).taken = true;
}

void TOperationRecord::TimedOut(uint8_t job) {
  if (active_) Entry(job).timedOut = true;
}

void TOperationRecord::BadFrame(uint8_t job) {
  if (active_) Entry(job).badFrame = true;
}

void TOperationRecord::Exception(uint8_t job, int code) {
  if (active_) Entry(job).exceptionCode = code;
}

void TOperationRecord::LineError(uint8_t job) {
  if (active_) Entry(job).lineError = true;
}

void TOperationRecord::Fail(TOutcomeReason reason, bool replace) {
  if (!reason_ || replace) reason_ = reason;
}

TOutcomeReason TOperationRecord::ReasonOfLastRequest() const {
  if (last_ < 0) return TOutcomeReason::Other;
  const TBlockResult& block = outcome_.blocks[static_cast<size_t>(last_)];
  if (block.exceptionCode != 0) return TOutcomeReason::DeviceException;
  if (block.badFrame || (block.answered && !block.taken)) return TOutcomeReason::BadFrame;
  if (!block.answered) return TOutcomeReason::NoAnswer;
  return TOutcomeReason::Other;
}

TOperationOutcome TOperationRecord::Finish() {
  const TOutcomeReason reason = reason_ ? *reason_ : ReasonOfLastRequest();
  TOperationOutcome outcome = std::move(outcome_);
  if (cancelled_) {
    outcome.end = TOutcomeEnd::Cancelled;
  } else if (done_ && !reason_) {
    outcome.end = TOutcomeEnd::Done;
  } else {
    outcome.end = TOutcomeEnd::Failed;
    outcome.reason = reason;
  }
  *this = TOperationRecord();
  return outcome;
}

TOperationOutcome TOperationRecord::Refused(TOperationKind kind, bool iec, TOutcomeReason reason) {
  TOperationOutcome outcome;
  outcome.kind = kind;
  outcome.iec = iec;
  outcome.end = TOutcomeEnd::Refused;
  outcome.reason = reason;
  return outcome;
}

}  // namespace vela
