#pragma once
// The engine's operations over IEC 60870-5-101: read once, read
// continuously and synchronise the clock, each a chain of link services of
// the master. It exists exactly while the engine is in IEC mode; it owns the
// master, wired to the engine's port, timers and clock, and reaches the
// engine's cells, log and state through the engine.

#include <cstdint>
#include <memory>
#include <string>

#include "app/IecInterpretation.h"
#include "app/OperationOutcome.h"
#include "iec101/Iec101PortSession.h"
#include "iec101/IecSettings.h"
#include "serial/ArkComPort.h"

namespace vela {

class TVelaEngine;

class TIecWorkflows {
 public:
  // How long a chain goes on asking for data after a command's link
  // confirmation (for its confirmation, an interrogation's values and
  // termination) or after the first part of a reading (for the rest): this
  // long, or as many answer times on a slower device; an interrogated value
  // moves the bound on.
  static constexpr int64_t kConfirmationWaitMs = 5000;
  static constexpr int64_t kConfirmationWaitAnswers = 12;
  static constexpr int kRetries = 3;
  // How often the values are looked at for staleness while an operation runs.
  static constexpr unsigned kStaleCheckMs = 500;
  // A device whose buffer is full (DFC = 1) is asked for the status of its
  // link again after this pause (or half an answer time on a slower
  // device), at most this many times, before a command.
  static constexpr unsigned kDfcPauseMs = 200;
  static constexpr int kDfcChecks = 5;
  // The time an operation may take before its caller gives up on it: 60 s,
  // or this many answer times on a slower device.
  static constexpr int64_t kOperationBudgetMs = 60000;
  static constexpr int64_t kOperationBudgetAnswers = 150;

  static int64_t ConfirmationWaitMs(uint32_t answerTimeMs);
  static unsigned DfcPauseMs(uint32_t answerTimeMs);
  static int64_t OperationBudgetMs(uint32_t answerTimeMs);
  // Resets after the device said its link is not functioning (function 14
  // or 15) before the operation gives up; measured values start the count
  // afresh.
  static constexpr int kLinkRestarts = 3;

  // link: the connection's field lengths and expected common address.
  TIecWorkflows(TVelaEngine& form, const TIecLinkSettings& link, uint32_t linkAddress);
  ~TIecWorkflows();
  TIecWorkflows(const TIecWorkflows&) = delete;
  TIecWorkflows& operator=(const TIecWorkflows&) = delete;

  TArkSocket101Master& Master() { return FSession.Master(); }
  TIecInterpreter& Interpreter() { return FInterpreter; }
  const TIecLinkSettings& Link() const { return FLink; }

  // The operation buttons; the caller has emptied the log.
  void ReadOnce();
  // resuming: after a lost port came back; a port that does not open yet
  // ends the start without a line, and the start itself is not logged.
  void StartContinuous(bool resuming = false);
  void SyncClock();

  bool Running() const { return FOperation != TOperation::None; }
  // The last synchronisation got the device's positive confirmation.
  bool ClockConfirmed() const { return FClockConfirmed; }
  // Ends the running operation now with a line in the log (the port is
  // closed, the controls enabled); the master's late results are dropped.
  void EndOperation(const std::string& line);
  // The engine ended the operation itself.
  void Forget() { FOperation = TOperation::None; }
  // The port failed under the operation: whatever service ran is dropped and
  // the link is taken as not reset, so the next operation resets it and (in
  // continuous reading) interrogates.
  void PortLost();
  // The response time-out follows the connection's answer time and the
  // port's speed and character frame.
  void ApplyLineTiming();

 private:
  enum class TOperation : uint8_t { None, ReadOnce, Continuous, Sync };
  // What the next positive confirmation leads to.
  enum class TPending : uint8_t {
    Poll,              // the link was reset for a data request
    Sync,              // the link was reset for the clock command
    Interrogation,     // the link was reset for the general interrogation
    DataRequested,     // a data request is outstanding
    ClockSent,         // the clock command is outstanding
    InterrogationSent  // the general interrogation is outstanding
  };

  bool Begin(TOperation operation, bool quietIfNotOpened = false);
  void Poll();
  void Synchronise();
  void Interrogate();
  // Continuous reading: an interrogation is wanted (at the start, after a
  // reset or a restart of the device, or its period passed) and none runs.
  bool InterrogationDue();
  void RequestData();
  // Sets the bound of the wait for the rest of a chain's data to now plus
  // the confirmation wait.
  void WaitForData();
  // Asks for more data while the wait's bound has not passed.
  bool StillWaiting();
  // Resets the link; its confirmation leads on to pending.
  void ResetLinkThen(TPending pending);
  // Before a command: true when the device has room for it; otherwise the
  // status of the link is asked again after a pause, pending then leads on.
  bool RoomForCommand(TPending pending);
  void CheckRoomAgain();
  void Refuse(const std::exception& e);
  template <class Step>
  void Try(Step step);

  // The master's exchanges in the engine's counters.
  void CountExchange(TLinkExchangeEvent event);
  void Result(TLinkResult result, const TArkInAsdu* asdu, bool acd);
  void HandleResult(TLinkResult result, const TArkInAsdu* asdu);
  void Acknowledged();
  void NoData();
  void UserData(const TArkInAsdu* asdu);
  void Failed();
  void LinkNotFunctioning();
  void ReadOnceData(const TIecAsduOutcome& outcome);
  void ReadOnceNoData();
  // The station interrogation's answer ends it (termination or refusal).
  void InterrogationAnswer(const TIecAsduOutcome& outcome);
  // The interrogation ended, answered or not: the first one completes the
  // image of continuous reading.
  void InterrogationEnded();
  void ReadingComplete();
  bool Continuous() const;

  void EndRead();
  // The cells a read once did not get, named in the log.
  void SayMissing();
  void HideStale();
  void StatusEnd(const std::string& text, TOutcomeReason reason);
  void EndWithLine(const std::string& line);
  void WriteRecord();

  TVelaEngine& F;
  const TIecLinkSettings FLink;
  TIec101PortSession<TArkComPort> FSession;
  TIecInterpreter FInterpreter;
  TOperation FOperation = TOperation::None;
  TPending FPending = TPending::Poll;
  bool FAcd = false;      // the last response had class 1 data waiting
  bool FDfc = false;      // the last response said: no room for user data
  int FDfcChecks = 0;     // status requests left while DFC = 1
  int FLinkRestarts = 0;  // resets left after "link not functioning"
  TPending FAfterRoom = TPending::Sync;
  std::unique_ptr<Timer> FDfcPause;
  std::unique_ptr<Timer> FStaleCheck;
  int64_t FWaitUntilMs = 0;           // monotonic bound of the wait for data
  bool FInterrogationSent = false;    // read once: its interrogation was sent
  bool FInterrogating = false;        // confirmed at the link level, not yet ended
  bool FInterrogationWanted = false;  // continuous: at start and after resets
  bool FInterrogationRefused = false;
  bool FImageTaken = true;           // continuous: its first interrogation has ended
  int64_t FNextInterrogationMs = 0;  // continuous: with a period
  bool FValuesSeen = false;          // the operation received measured values
  bool FClockConfirmed = false;
  bool FRepeatNext = false;  // the master said its next frame is a repeat
};

}  // namespace vela
