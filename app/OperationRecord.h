#pragma once
// What the running operation has done so far, request by request, and the
// outcome it comes to when it ends. The engine marks each step here as it
// happens; nothing is read back from the log.

#include <cstdint>
#include <optional>

#include "app/OperationOutcome.h"

namespace vela {

class TOperationRecord {
 public:
  void Begin(TOperationKind kind, bool iec);
  bool Active() const { return active_; }

  // Requests and what became of them; job is the Modbus job code, 0 for IEC.
  // Ignored while no operation runs.
  void Sent(uint8_t job);
  void Answered(uint8_t job, TDateTime at);
  void Taken(uint8_t job);
  void TimedOut(uint8_t job);
  void BadFrame(uint8_t job);
  void Exception(uint8_t job, int code);
  void LineError(uint8_t job);

  // The operation carried out what it is for (it may still end later).
  void MarkDone() { done_ = true; }
  bool Done() const { return done_; }
  // The operator stopped it.
  void MarkCancelled() { cancelled_ = true; }
  // Why it stopped short, when it does; the first reason given stays unless
  // a later one is said to replace it.
  void Fail(TOutcomeReason reason, bool replace = false);
  TOperationOutcome& Outcome() { return outcome_; }
  const TOperationOutcome& Outcome() const { return outcome_; }

  // Ends the operation: done, cancelled or failed with the reason given
  // (NoAnswer, BadFrame or DeviceException from the last request when none
  // was). Returns the outcome; the record is idle afterwards.
  TOperationOutcome Finish();
  // An operation refused before it started.
  static TOperationOutcome Refused(TOperationKind kind, bool iec, TOutcomeReason reason);

 private:
  TBlockResult& Entry(uint8_t job);
  TOutcomeReason ReasonOfLastRequest() const;

  bool active_ = false;
  bool done_ = false;
  bool cancelled_ = false;
  std::optional<TOutcomeReason> reason_;
  int last_ = -1;  // index of the block sent last
  TOperationOutcome outcome_;
};

}  // namespace vela
