#include "app/IecWorkflows.h"

#include <algorithm>
#include <cstdio>
#include <utility>

#include "app/Engine.h"
#include "app/Messages.h"
#include "iec101/IecDeviceOptions.h"

namespace vela {
namespace {

std::string Filled(const char* pattern, const std::string& text) {
  std::string line = pattern;
  line.replace(line.find("%s"), 2, text);
  return line;
}

}  // namespace

int64_t TIecWorkflows::ConfirmationWaitMs(uint32_t answerTimeMs) {
  return std::max(kConfirmationWaitMs, kConfirmationWaitAnswers * answerTimeMs);
}

unsigned TIecWorkflows::DfcPauseMs(uint32_t answerTimeMs) {
  return std::max(kDfcPauseMs, answerTimeMs / 2);
}

int64_t TIecWorkflows::OperationBudgetMs(uint32_t answerTimeMs) {
  return std::max(kOperationBudgetMs, kOperationBudgetAnswers * answerTimeMs);
}

TIecWorkflows::TIecWorkflows(TVelaEngine& form, const TIecLinkSettings& link, uint32_t linkAddress)
    : F(form),
      FLink(link),
      FSession(*form.FPort, form.FSeams.timers, form.FSeams.clock, link.lengths, linkAddress),
      FInterpreter(
          *form.FPresenter, [&form](const std::string& line) { form.Log(line); },
          [&form] { form.CellsChanged(); }, link.expectedCommonAddress, form.FSeams.clock,
          static_cast<int64_t>(link.staleAfterS) * 1000) {
  FInterpreter.OnReadingComplete = [this] {
    // Continuous reading records whole images: none before its first
    // interrogation has ended.
    if (FOperation == TOperation::Continuous && !FImageTaken) return;
    ReadingComplete();
  };
  FDfcPause = form.FSeams.timers.CreateTimer();
  FDfcPause->SetEnabled(false);
  FDfcPause->OnTimer = [this] {
    FDfcPause->SetEnabled(false);
    if (Running()) Try([this] { CheckRoomAgain(); });
  };
  FStaleCheck = form.FSeams.timers.CreateTimer();
  FStaleCheck->SetEnabled(false);
  FStaleCheck->SetInterval(kStaleCheckMs);
  FStaleCheck->OnTimer = [this] {
    if (Running()) HideStale();
  };
  Master().OnTrace = [&form](const std::string& line) { form.Trace(line); };
  FInterpreter.OnTrace = [&form](const std::string& line) { form.Trace(line); };
  Master().OnLinkResult = [this](TArkSocket101Master*, TLinkResult result, const TArkInAsdu* asdu,
                                 bool acd) { Result(result, asdu, acd); };
  Master().OnExchange = [this](TLinkExchangeEvent event) { CountExchange(event); };
  ApplyLineTiming();
}

TIecWorkflows::~TIecWorkflows() {
  Master().OnLinkResult = nullptr;
  Master().OnExchange = nullptr;
  FDfcPause->SetEnabled(false);
  FDfcPause->OnTimer = nullptr;
  FStaleCheck->SetEnabled(false);
  FStaleCheck->OnTimer = nullptr;
}

void TIecWorkflows::ApplyLineTiming() {
  // Start bit, data bits, parity bit, stop bits (code 2: two).
  const TArkComPort& port = *F.FPort;
  const unsigned bits =
      1u + port.ByteSize() + (port.Parity() != 0 ? 1u : 0u) + (port.StopBits() == 2 ? 2u : 1u);
  Master().SetAnswerTimeMs(FLink.answerTimeMs);
  Master().SetLineTiming(static_cast<uint32_t>(port.BaudRate()), bits);
}

void TIecWorkflows::CountExchange(TLinkExchangeEvent event) {
  switch (event) {
    case TLinkExchangeEvent::leRepeated:
      FRepeatNext = true;
      return;
    case TLinkExchangeEvent::leTransmitted:
      F.FRecord.Sent(0);
      F.ReportExchange(TExchangeEventKind::RequestSent, 0, 0, std::exchange(FRepeatNext, false));
      return;
    case TLinkExchangeEvent::leAnswered:
      F.FRecord.Answered(0, F.FSeams.clock.Now());
      F.ReportExchange(TExchangeEventKind::Answer);
      if (std::exchange(F.FNoAnswerSeen, false)) {
        F.EndNoAnswerRun();
        F.Log(msg::kLinkRestored);
      }
      return;
    case TLinkExchangeEvent::leTimedOut:
      F.FRecord.TimedOut(0);
      F.ReportExchange(TExchangeEventKind::TimedOut);
      // Continuous reading says a run of time-outs once; read once and the
      // clock say their failure when the service gives up.
      if (Continuous()) F.NoAnswer(msg::kIecNoAnswerEsc);
      return;
    case TLinkExchangeEvent::leBadFrame:
      F.FRecord.BadFrame(0);
      F.ReportExchange(TExchangeEventKind::BadFrame);
      return;
    case TLinkExchangeEvent::leRefused:
      F.FRecord.Exception(0, 0);
      F.ReportExchange(TExchangeEventKind::ExceptionAnswer);
      return;
  }
}

// --- Operations ---

bool TIecWorkflows::Begin(TOperation operation, bool quietIfNotOpened) {
  FOperation = operation;
  FPending = TPending::Poll;
  FWaitUntilMs = 0;
  FInterrogationSent = false;
  FInterrogating = false;
  FInterrogationWanted = operation == TOperation::Continuous;
  FInterrogationRefused = false;
  FImageTaken = operation != TOperation::Continuous;
  FNextInterrogationMs = 0;
  FValuesSeen = false;
  FClockConfirmed = false;
  FDfcChecks = kDfcChecks;
  FLinkRestarts = kLinkRestarts;
  F.FNoAnswerRun.Reset();
  F.FNoAnswerSeen = false;
  F.EndPortOutage(false);  // an operation of the operator's own ends the wait for a lost port
  FInterpreter.ClearReadings();
  if (operation != TOperation::Sync) {
    // A reading starts from an empty image.
    F.FPresenter->HideAllCells();
    FInterpreter.ForgetTags();
    F.CellsChanged();
  }
  FStaleCheck->SetEnabled(true);
  try {
    Master().OpenPort();
  } catch (const std::exception& e) {
    F.FRecord.Fail(TOutcomeReason::PortNotOpened);
    if (quietIfNotOpened) {
      EndWithLine(std::string());
    } else {
      Refuse(e);
    }
    return false;
  }
  return true;
}

void TIecWorkflows::ReadOnce() {
  F.SetBusy(true);
  if (!Begin(TOperation::ReadOnce)) return;
  WaitForData();
  Try([this] { Poll(); });
}

void TIecWorkflows::StartContinuous(bool resuming) {
  // A start that fails leaves the engine idle: no running mark, the
  // controls enabled, "Отказ: ..." in the log.
  F.FContinuousRunning = true;
  if (!Begin(TOperation::Continuous, resuming)) return;
  Try([this] { Poll(); });
  if (!Running()) return;
  F.SetBusy(true);
  F.SetContinuousRunning(true);
  if (!resuming) F.Log(msg::kContinuousReading);
}

void TIecWorkflows::PortLost() {
  FOperation = TOperation::None;
  FDfcPause->SetEnabled(false);
  FStaleCheck->SetEnabled(false);
  Master().ClearLinkState();  // its running service ends unheard: no operation runs
}

void TIecWorkflows::SyncClock() {
  F.SetBusy(true);
  if (!Begin(TOperation::Sync)) return;
  Try([this] { Synchronise(); });
}

template <class Step>
void TIecWorkflows::Try(Step step) {
  try {
    step();
  } catch (const TArkException& e) {
    Refuse(e);
  }
}

void TIecWorkflows::Refuse(const std::exception& e) {
  F.FRecord.Fail(TOutcomeReason::Other);
  EndWithLine(Filled(msg::kIecRefusedFormat, e.what()));
}

// --- Chains ---

void TIecWorkflows::Poll() {
  if (Master().IsReady()) {
    if (InterrogationDue()) {
      Interrogate();
    } else {
      RequestData();
    }
    return;
  }
  FInterpreter.DropReading();
  F.FPresenter->HideAllCells();
  FInterpreter.ForgetTags();
  F.FPresenter->ClearDeviceClock();
  F.CellsChanged();
  ResetLinkThen(TPending::Poll);
}

void TIecWorkflows::ResetLinkThen(TPending pending) {
  // After a reset the device's image is taken afresh.
  FInterrogating = false;
  if (FOperation == TOperation::Continuous) FInterrogationWanted = true;
  F.TraceJob(msg::kIecTraceReset);
  FPending = pending;
  Master().ResetLink(kRetries);
}

void TIecWorkflows::RequestData() {
  // Class 1 first while the device says it holds some.
  FPending = TPending::DataRequested;
  if (FAcd) {
    F.TraceJob(msg::kIecTraceReadClass1);
    Master().RequestClass1(kRetries);
  } else {
    F.TraceJob(msg::kIecTraceRead);
    Master().RequestClass2(kRetries);
  }
}

bool TIecWorkflows::InterrogationDue() {
  if (!Continuous()) return false;
  const int64_t now = F.FSeams.clock.MonotonicMs();
  if (FInterrogating && now >= FWaitUntilMs) InterrogationEnded();  // its time is up
  if (FInterrogating) return false;
  if (FLink.interrogationPeriodS > 0 && now >= FNextInterrogationMs) FInterrogationWanted = true;
  return FInterrogationWanted;
}

void TIecWorkflows::WaitForData() {
  FWaitUntilMs = F.FSeams.clock.MonotonicMs() + ConfirmationWaitMs(Master().AnswerTimeMs());
}

bool TIecWorkflows::StillWaiting() {
  if (F.FSeams.clock.MonotonicMs() >= FWaitUntilMs) return false;
  RequestData();
  return true;
}

void TIecWorkflows::Synchronise() {
  if (!Master().IsReady()) {
    ResetLinkThen(TPending::Sync);
    return;
  }
  if (!RoomForCommand(TPending::Sync)) return;
  F.TraceJob(msg::kIecTraceSync);
  FPending = TPending::ClockSent;
  F.FIecTime->FillFrom(F.FSeams.clock.Now());
  const TArkOutAsdu command = TArkOutAsdu::CreateClockSync(
      FLink.lengths, asdu_cause::kActivation,
      static_cast<uint32_t>(F.IecDeviceOptions().CommonAddress), *F.FIecTime);
  Master().SendUserData(command, kRetries);
}

void TIecWorkflows::Interrogate() {
  if (!Master().IsReady()) {
    ResetLinkThen(TPending::Interrogation);
    return;
  }
  if (!RoomForCommand(TPending::Interrogation)) return;
  F.TraceJob(msg::kIecTraceInterrogation);
  FPending = TPending::InterrogationSent;
  const TArkOutAsdu command = TArkOutAsdu::CreateInterrogation(
      FLink.lengths, asdu_cause::kActivation,
      static_cast<uint32_t>(F.IecDeviceOptions().CommonAddress), asdu_cause::kStationInterrogation);
  Master().SendUserData(command, kRetries);
  FInterrogationWanted = false;
  FInterrogationSent = true;
  FNextInterrogationMs =
      F.FSeams.clock.MonotonicMs() + static_cast<int64_t>(FLink.interrogationPeriodS) * 1000;
}

bool TIecWorkflows::RoomForCommand(TPending pending) {
  if (!FDfc) return true;
  if (FDfcChecks <= 0) {
    FDfc = false;
    StatusEnd(msg::kIecRemoteNotReady, TOutcomeReason::LinkNotReady);
    return false;
  }
  --FDfcChecks;
  FAfterRoom = pending;
  FDfcPause->SetInterval(DfcPauseMs(Master().AnswerTimeMs()));
  FDfcPause->SetEnabled(true);
  return false;
}

void TIecWorkflows::CheckRoomAgain() {
  F.TraceJob(msg::kIecTraceLinkStatus);
  FPending = FAfterRoom;  // its confirmation carries the new DFC
  Master().RequestLinkStatus(kRetries);
}

// --- Results ---

bool TIecWorkflows::Continuous() const {
  return FOperation == TOperation::Continuous && F.FContinuousRunning;
}

void TIecWorkflows::Result(TLinkResult result, const TArkInAsdu* asdu, bool acd) {
  if (!Running()) return;  // ended by the engine; the master's late word
  FAcd = result != TLinkResult::lrFailed && acd;
  FDfc = Master().Dfc();
  try {
    HandleResult(result, asdu);
  } catch (const TArkException& e) {
    // The next service could not start: in continuous reading too, the
    // operation ends here instead of waiting for a result that never comes.
    if (Continuous()) {
      Refuse(e);
    } else {
      StatusEnd(e.what(), TOutcomeReason::Other);
    }
  }
}

void TIecWorkflows::HandleResult(TLinkResult result, const TArkInAsdu* asdu) {
  switch (result) {
    case TLinkResult::lrAck:
      Acknowledged();
      return;
    case TLinkResult::lrNack:
      StatusEnd(msg::kIecNoConfirmation, TOutcomeReason::DeviceException);
      return;
    case TLinkResult::lrLinkNotReady:
      LinkNotFunctioning();
      return;
    case TLinkResult::lrNoData:
      NoData();
      return;
    case TLinkResult::lrUserData:
      UserData(asdu);
      return;
    case TLinkResult::lrFailed:
      Failed();
      return;
    default:
      StatusEnd(msg::kIecUndetermined, TOutcomeReason::Other);
      return;
  }
}

void TIecWorkflows::Acknowledged() {
  switch (FPending) {
    case TPending::Poll:
      Poll();
      return;
    case TPending::Sync:
      Synchronise();
      return;
    case TPending::Interrogation:
      Interrogate();
      return;
    case TPending::ClockSent:
      // Confirmed at the link level: the activation confirmation follows as data.
      WaitForData();
      RequestData();
      return;
    case TPending::InterrogationSent:
      FInterrogating = true;
      WaitForData();
      Poll();
      return;
    case TPending::DataRequested:
      // A data request answered with the status of the link: nothing to send.
      NoData();
      return;
  }
}

void TIecWorkflows::NoData() {
  FInterpreter.EndReading();
  if (Continuous()) {
    Poll();
  } else if (FOperation == TOperation::Continuous) {
    EndRead();  // stopped by the operator: ends as after values
  } else if (FOperation == TOperation::ReadOnce) {
    ReadOnceNoData();
  } else if (FOperation == TOperation::Sync && StillWaiting()) {
    // The clock confirmation may come later.
  } else {
    StatusEnd(msg::kIecNoData, TOutcomeReason::NoData);
  }
}

void TIecWorkflows::ReadOnceNoData() {
  if (FInterrogating) {
    // Nothing yet: the interrogation's answer may still come.
    if (!FValuesSeen && StillWaiting()) return;
    FInterrogating = false;
    EndRead();
  } else if (FValuesSeen || FInterrogationSent) {
    EndRead();
  } else {
    Interrogate();  // the device sends its values only when asked
  }
}

void TIecWorkflows::ReadOnceData(const TIecAsduOutcome& outcome) {
  if (FInterrogationSent) {
    if (FInterrogating && StillWaiting()) return;
    FInterrogating = false;
    EndRead();
    return;
  }
  // The rest of a reading that needs more than one ASDU; an address that
  // repeats has completed one.
  if (FValuesSeen && (!FInterpreter.ReadingActive() || FInterpreter.CompleteReadings() > 0)) {
    EndRead();
  } else if (!StillWaiting()) {
    if (FValuesSeen || outcome.refused) {
      EndRead();
    } else {
      Interrogate();
    }
  }
}

void TIecWorkflows::InterrogationAnswer(const TIecAsduOutcome& outcome) {
  constexpr uint8_t kTermination = 10;
  if (outcome.refused) {
    FInterrogationRefused = true;
    InterrogationEnded();
  } else if (outcome.cause == kTermination) {
    InterrogationEnded();
  }
}

void TIecWorkflows::InterrogationEnded() {
  FInterrogating = false;
  if (FImageTaken) return;
  FImageTaken = true;
  if (FValuesSeen) ReadingComplete();  // the first whole image
}

void TIecWorkflows::ReadingComplete() {
  F.ReportExchange(TExchangeEventKind::ReadingCompleted);  // what watch and --stats count
  WriteRecord();
}

void TIecWorkflows::UserData(const TArkInAsdu* asdu) {
  TIecAsduOutcome outcome;
  if (asdu) outcome = FInterpreter.Dispatch(*asdu, F.FServiceView);
  if (outcome.valuesShown) {
    FValuesSeen = true;
    FLinkRestarts = kLinkRestarts;
    // Interrogated values: the interrogation goes on; a read once waits for
    // the rest of its reading from the last part on.
    if ((FInterrogating && outcome.cause >= asdu_cause::kStationInterrogation &&
         outcome.cause <= 36) ||
        FOperation == TOperation::ReadOnce) {
      WaitForData();
    }
  }
  if (outcome.kind == TIecAsduKind::Interrogation) InterrogationAnswer(outcome);
  // The device restarted: its image is taken afresh.
  if (outcome.kind == TIecAsduKind::Initialised) FInterrogationWanted = true;
  if (Continuous()) {
    Poll();
    return;
  }
  switch (FOperation) {
    case TOperation::Sync:
      if (outcome.clockRefused) {
        // Said by the interpreter; no "read done" beside it.
        FClockConfirmed = false;
        FInterpreter.EndReading();
        F.FRecord.Fail(TOutcomeReason::NotConfirmed);
        EndWithLine(msg::kIecOperationFailed);
      } else if (outcome.clockConfirmed) {
        FClockConfirmed = true;
        EndRead();
      } else if (!StillWaiting()) {
        StatusEnd(msg::kIecNoConfirmation, TOutcomeReason::NotConfirmed);
      }
      return;
    case TOperation::ReadOnce:
      ReadOnceData(outcome);
      return;
    default:
      EndRead();  // continuous reading stopped by the operator
      return;
  }
}

void TIecWorkflows::LinkNotFunctioning() {
  // The device restarted or lost its link state: the link is reset and the
  // refused step taken again, a few times at most (the refusal itself is
  // already counted as a fault).
  if (FLinkRestarts <= 0) {
    F.Log(msg::kIecLinkNotFunctioning);
    F.FRecord.Fail(TOutcomeReason::LinkNotReady);
    EndWithLine(msg::kIecOperationFailed);
    return;
  }
  --FLinkRestarts;
  switch (FPending) {
    case TPending::ClockSent:
      Synchronise();
      return;
    case TPending::InterrogationSent:
      Interrogate();
      return;
    case TPending::Sync:
    case TPending::Interrogation:
      ResetLinkThen(FPending);
      return;
    default:
      Poll();
      return;
  }
}

void TIecWorkflows::Failed() {
  FInterpreter.DropReading();
  F.FPresenter->HideAllCells();
  FInterpreter.ForgetTags();
  F.FPresenter->ClearDeviceClock();
  F.CellsChanged();
  F.SetSerialCaption(std::nullopt);  // what does not answer is not shown as known
  // Nothing was measured: no reading, no record.
  if (Continuous()) {
    Poll();
    return;
  }
  F.Log(msg::kIecLinkFailed);
  F.Log(WhatToCheckText(F.FLink));
  F.FRecord.Fail(TOutcomeReason::NoAnswer);
  EndWithLine(msg::kIecOperationFailed);
}

// --- Endings ---

void TIecWorkflows::EndRead() {
  FInterpreter.EndReading();
  if (FOperation == TOperation::ReadOnce && !FValuesSeen) {
    if (FInterrogationRefused) {
      // The refusal itself is already in the log.
      F.FRecord.Fail(TOutcomeReason::DeviceException);
      EndWithLine(msg::kIecOperationFailed);
    } else {
      StatusEnd(msg::kIecNoData, TOutcomeReason::NoData);
    }
    return;
  }
  if (FOperation == TOperation::ReadOnce) SayMissing();
  if (FOperation == TOperation::Sync && !FClockConfirmed) {
    F.FRecord.Fail(TOutcomeReason::NotConfirmed);
  } else {
    F.FRecord.MarkDone();
  }
  EndWithLine(F.FVerifyMode ? std::string() : std::string(msg::kReadDone));
}

void TIecWorkflows::SayMissing() {
  std::string names;
  for (int address = 1; address <= TIecInterpreter::kAddressCount; ++address) {
    if (FInterpreter.Received(address)) continue;
    if (!names.empty()) names += ", ";
    names += F.Cells()[address - 1].Name();
  }
  if (!names.empty()) F.Log(Filled(msg::kIecMissingFormat, names));
}

void TIecWorkflows::HideStale() {
  if (FInterpreter.HideStale()) F.CellsChanged();
}

void TIecWorkflows::StatusEnd(const std::string& text, TOutcomeReason reason) {
  if (Continuous()) {
    Poll();
    return;
  }
  F.FRecord.Fail(reason);
  EndWithLine(Filled(msg::kIecStatusFormat, text));
}

void TIecWorkflows::EndWithLine(const std::string& line) {
  // Continuous reading the operator stopped ends at the service's result,
  // when the engine has already let go of it: its figures are traced here.
  const bool stoppedContinuous = FOperation == TOperation::Continuous && !F.FContinuousRunning;
  FDfcPause->SetEnabled(false);
  FStaleCheck->SetEnabled(false);
  if (!line.empty()) F.Log(line);
  FOperation = TOperation::None;
  F.StopOperation();  // closes the port, enables the controls
  if (stoppedContinuous) F.Trace(F.FExchangeStats.Text());
}

void TIecWorkflows::EndOperation(const std::string& line) {
  if (!Running()) return;
  F.FRecord.MarkCancelled();
  EndWithLine(line);
}

void TIecWorkflows::WriteRecord() {
  try {
    F.WriteRecord();
  } catch (const std::exception& e) {
    F.Log(e.what());
  }
}

}  // namespace vela
