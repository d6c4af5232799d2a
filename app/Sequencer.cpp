// The job sequencer: one request at a time, each armed with its block's
// response time-out; the time-out rule of the current job decides between
// repeating, moving on and stopping.

#include <cmath>

#include "app/Engine.h"
#include "app/IecWorkflows.h"
#include "app/Messages.h"
#include "common/ArkCmnUtils.h"
#include "modbus/ModbusAnswerComplete.h"
#include "modbus/ModbusBlockOps.h"
#include "serial/PortFailures.h"

namespace vela {

uint8_t TVelaEngine::CurrentJob() const {
  if (FJobIndex < 0 || FJobIndex >= kJobListSize) return jobNone;
  return FJobs[FJobIndex];
}

void TVelaEngine::Advance() {
  if (FWritePhase == TWritePhase::Abandoned) {
    StopOperation();
    return;
  }
  if (FWritePhase == TWritePhase::StopRequested && !FRecord.Done()) {
    BeginReadBack();
    return;
  }
  ++FJobIndex;
  if (FNetworkTypeKnown) {
    // Per-phase power factors only for a 4-wire network whose device has them.
    if (CurrentJob() == jobGetCos4 && FMainPrm->GetThreeWire()) ++FJobIndex;
    if (CurrentJob() == jobGetCos4 && FCosSupport != 2) ++FJobIndex;
  }
  if (CurrentJob() == jobLoopAgain) {
    // Every further cycle starts with the last prefix job, GetLinkPrm4.
    FJobIndex = FPrefixLength - 1;
    if (!FContinuousRunning) return;
  }
  StartCurrentJob();
}

void TVelaEngine::StartCurrentJob() {
  const uint8_t job = CurrentJob();
  if (!IsBlockJob(job)) {
    RunLocalJob(job);
    return;
  }
  TraceJob(JobName(job, FMainPrm->GetThreeWire()));
  // A repeated request goes on with the cycle it belongs to.
  if (job == jobGetLinkPrm4 && !FRepeatPending) ReportExchange(TExchangeEventKind::CycleStarted);
  if (!SendCurrentRequest(job)) {
    FRecord.Fail(TOutcomeReason::SendFailed);
    Log(msg::kSendFailed);
    StopOperation();
  }
}

TModbusParams* TVelaEngine::ParamsOfJob(uint8_t job) const {
  switch (job) {
    case jobGetMainPrm:
    case jobSetMainPrm:
      return FMainPrm.get();
    case jobFinalizePrm:
      return FFinalizePrm.get();
    case jobGetLinkPrm:
    case jobSetLinkPrm:
      return FLinkPrm.get();
    case jobGetLinkPrm2:
    case jobSetLinkPrm2:
      return FLinkPrm2.get();
    case jobGetLinkPrm3:
    case jobSetLinkPrm3:
      return FLinkPrm3.get();
    case jobGetLinkPrm4:
    case jobSetLinkPrm4:
      return FLinkPrm4.get();
    case jobGetTime:
    case jobSetTime:
      return FTimePrm.get();
    default:
      return nullptr;
  }
}

bool TVelaEngine::SendCurrentRequest(uint8_t job) {
  TModbusParams* params = ParamsOfJob(job);
  TModbusValues* values = nullptr;
  switch (job) {
    case jobGetValues:
      values = FMainPrm->GetThreeWire() ? static_cast<TModbusValues*>(FValues3Wire.get())
                                        : FValues4Wire.get();
      break;
    case jobGetF:
      values = FValuesF.get();
      break;
    case jobGetCos3:
      values = FValues3Cos.get();
      break;
    case jobGetCos4:
      values = FValues4Cos.get();
      break;
    case jobDevInfo:
      values = FDevInfo.get();
      break;
    default:
      if (!params) return false;
      break;
  }
  Octets request;
  switch (BlockAccessOf(job)) {
    case TBlockAccess::ReadParams:
      request = RequestParams(*FPacker, *params);
      break;
    case TBlockAccess::WriteParams:
      request = RequestWriteParams(*FPacker, *params);
      break;
    case TBlockAccess::ReadValues:
      request = RequestValues(*FPacker, *values);
      break;
    case TBlockAccess::None:
      return false;
  }
  if (FSeams.fastExchange) {
    FPort->SetAnswerComplete(TModbusAnswerComplete(FPacker->RtuMode, request));
  }
  FRecord.Sent(job);
  if (params && FWritePhase != TWritePhase::None &&
      BlockAccessOf(job) == TBlockAccess::WriteParams) {
    FWriteEvidence.sent[job] = params->Registers;
  }
  if (!FPort->Send(request)) return false;
  Timer1->SetEnabled(false);
  const int32_t blockTimeout = params ? params->Timeout : values->Timeout;
  const int32_t timeout = FSeams.responseTimeoutMs > 0 ? FSeams.responseTimeoutMs : blockTimeout;
  const bool probe = job == jobDevInfo && FProbeTimeoutMs > 0;
  const int32_t awaitMs = probe ? FProbeTimeoutMs : timeout;
  Timer1->SetInterval(static_cast<unsigned>(awaitMs));
  Timer1->SetEnabled(true);
  FAnswerDueMs = FSeams.clock.MonotonicMs() + awaitMs;
  return true;
}

void TVelaEngine::RunLocalJob(uint8_t job) {
  switch (job) {
    case jobFinish:
      if (FWritePhase == TWritePhase::ReadingBack) {
        StopOperation();  // the write's own outcome stands
        return;
      }
      FRecord.MarkDone();
      if (!FVerifyMode) Log(msg::kReadDone);
      StopOperation();
      return;
    case jobRecordCsv:
      try {
        CompleteReading();
      } catch (const std::exception& e) {
        Log(e.what());
      }
      Advance();
      return;
    case jobRedrawPanel:
      try {
        CellsChanged();
      } catch (const std::exception& e) {
        Log(e.what());
      }
      Advance();
      return;
    case jobApplyFactoryLink:
      ApplyFactoryLink();
      Advance();
      return;
    case jobVerifyDevice:
      VerifyDevice();
      Advance();
      return;
    default:
      return;  // no job, LoopAgain and unknown codes start nothing
  }
}

void TVelaEngine::PortRead(TArkComPort* sender, const Octets& data) {
  Trace(" Rd: " + BytesToHex(data));
  if (AwaitingLateAnswer()) {
    EndLateAnswerWait();  // the operation that asked is over: nobody takes it
    return;
  }
  FAnswerDueMs.reset();
  ReportExchange(TExchangeEventKind::Answer, data.size());
  if (FNoAnswerSeen) {
    FNoAnswerSeen = false;
    EndNoAnswerRun();
    Log(msg::kLinkRestored);
  }
  const uint8_t job = CurrentJob();
  if (job != jobNone) FRecord.Answered(job, FSeams.clock.Now());
  try {
    CompleteJob(job, data);  // a failure skips the advance: the time-out decides
    if (job != jobNone) FRecord.Taken(job);
    if (FWritePhase == TWritePhase::ReadingBack) ReadBackTaken(job);
    SettingsBlockRead(job);
  } catch (const TModbusLinkException&) {
    ReportExchange(TExchangeEventKind::BadFrame);
    FRecord.BadFrame(job);
    FCompletionFailed = true;
    throw;
  } catch (const TModbusLogicException& e) {
    ReportExchange(TExchangeEventKind::ExceptionAnswer, 0, e.Code);
    FRecord.Exception(job, e.Code);
    FCompletionFailed = true;
    throw;
  } catch (const TArkException&) {
    FCompletionFailed = true;
    throw;  // the port hands it to OnException
  } catch (const std::exception& e) {
    FCompletionFailed = true;    // handled per job, like the program's own failures
    HandleException(sender, e);  // any other failure takes the same way
    return;
  }
  // Octets nobody asked for start nothing: during the wait for the clock tick
  // they would otherwise send the first prefix job and move the tick.
  if (job == jobNone) return;
  Advance();
}

void TVelaEngine::Timer1Timer() {
  if (FClockSyncPending) {
    ClockSyncTick();
    return;
  }
  if (FSkipOnNextTick) {
    FSkipOnNextTick = false;
    Advance();
    return;
  }
  if (!FConfigOperation) {
    FPresenter->ClearStaleValues(*FMainPrm);
    CellsChanged();
  }
  RunTimeoutRule(CurrentJob());
}

void TVelaEngine::RunTimeoutRule(uint8_t job) {
  FAnswerDueMs.reset();
  ReportExchange(TExchangeEventKind::TimedOut);
  FRecord.TimedOut(job);
  NoteWriteAttempt(job);
  if (FWritePhase == TWritePhase::ReadingBack) {
    ReadBackTimedOut();
    return;
  }
  if (FWritePhase == TWritePhase::StopRequested) {
    BeginReadBack();
    return;
  }
  switch (TimeoutRuleOf(job)) {
    case TTimeoutRule::ReadParameter:
      NoAnswer(FSingleShot ? msg::kParamsNoAnswer : msg::kParamsNoAnswerEsc);
      RetryOrStop();
      return;
    case TTimeoutRule::Identification:
      NoAnswer(FSingleShot ? msg::kIdentNoAnswer : msg::kIdentNoAnswerEsc);
      RetryOrStop();
      return;
    case TTimeoutRule::Repeat:
      if (job == jobFinalizePrm && (FFactoryLinkSwitched || FFinalizeOnPreviousLink)) {
        FinalizeUnansweredOnFactoryLink();
        return;
      }
      Log(msg::kRepeatRequest);
      RetryOrStop();
      return;
    case TTimeoutRule::MoveOn:
      ShowUnreadBlock(job);
      Advance();
      return;
    case TTimeoutRule::Clock:
      FPresenter->ClearDeviceClock();
      NoAnswer(msg::kClockNoAnswer);
      StopOperation();
      return;
    case TTimeoutRule::Nothing:
      return;
  }
}

void TVelaEngine::NoAnswer(const char* text) {
  FNoAnswerSeen = true;
  if (!FNoAnswerRun.TimedOut(FSeams.clock.Now())) return;  // said when the run started
  Log(text);
  if (FNoAnswerRun.TakeHint()) Log(WhatToCheckText(FLink));
  SetSerialCaption(std::nullopt);
}

void TVelaEngine::EndNoAnswerRun() {
  if (const std::string summary = FNoAnswerRun.End(); !summary.empty()) Log(summary);
}

void TVelaEngine::RetryOrStop() {
  if (FSingleShot) {
    StopOperation();
  } else {
    FRepeatPending = true;
    StartCurrentJob();
  }
}

void TVelaEngine::ClearOperationFlags() {
  // Every per-operation flag, so nothing of one operation leaks into the next.
  FSingleShot = false;
  FVerboseStatus = false;
  FNetworkTypeKnown = false;
  FClockSyncPending = false;
  FSkipOnNextTick = false;
  FVerifyMode = false;
  FWriteOperation = false;
  FFactoryLinkSwitched = false;
  FProbeTimeoutMs = 0;
  FFinalizeOnPreviousLink = false;
  FReadingTaken = false;
}

void TVelaEngine::StopOperation() {
  if (FIec) FIec->Forget();
  ClearOperationFlags();
  FPendingOldFirmware.clear();
  if (!FPendingFormatErrors.empty()) {
    const std::string text = std::move(FPendingFormatErrors);
    FPendingFormatErrors.clear();
    Log(text);
  }
  Timer1->SetEnabled(false);
  try {
    ClosePortWhenAnswered();
  } catch (const std::exception& e) {
    Log(e.what());
  }
  EndNoAnswerRun();
  SetBusy(false);
  if (FContinuousRunning) Trace(FExchangeStats.Text());
  SetContinuousRunning(false);
  EndOutcome();
}

void TVelaEngine::CancelOperation() {
  if (FBusy && FWritePhase == TWritePhase::Writing && !FRecord.Done() && WriteStarted()) {
    // The request on the line finishes or times out; then the settings are read back.
    FWritePhase = TWritePhase::StopRequested;
    Log(msg::kWriteStopping);
    return;
  }
  FRecord.MarkCancelled();
  if (InIecMode()) {
    FSingleShot = FVerboseStatus = FNetworkTypeKnown = false;
    SetContinuousRunning(false);
    return;
  }
  StopOperation();
}

void TVelaEngine::WriteJobs(const std::vector<uint8_t>& jobs) {
  for (size_t i = 0; i < jobs.size() && FPrefixLength + i < FJobs.size(); ++i) {
    FJobs[FPrefixLength + i] = jobs[i];
  }
}

bool TVelaEngine::OpenPortForOperation() {
  // A failed open is reported as it is, outside any job.
  FJobIndex = -1;
  Trace(FSeams.fastExchange ? msg::kFastExchangeTrace : msg::kSilenceExchangeTrace);
  try {
    EndLateAnswerWait();  // the new operation opens the port afresh
    FPort->Open();
    if (const std::string device = FPort->DevicePath(); !device.empty()) {
      Trace("    <" + PortAndDevice(FPort->PortName(), device) + ": " +
            FPort->DirectionControlText() + ">");
    }
    return true;
  } catch (const std::exception& e) {
    ForgetDevice(!FWriteOperation);  // nothing shown can be this port's device now
    ClearOperationFlags();
    HandleException(this, e);
    FRecord.Fail(TOutcomeReason::PortNotOpened);
    EndOutcome();
    return false;
  }
}

bool TVelaEngine::StartOperation(const std::vector<uint8_t>& jobs, bool withPrefix) {
  FDevInfoRead = false;
  FPortFailed = false;
  FNoAnswerRun.Reset();
  EndPortOutage(false);  // an operation of the operator's own ends the wait for a lost port
  WriteJobs(jobs);
  if (withPrefix) ForgetSettingsOrigin();  // known again once the prefix has read them
  if (!OpenPortForOperation()) return false;
  FJobIndex = withPrefix ? -1 : FPrefixLength - 1;
  SetBusy(true);
  Advance();
  return true;
}

void TVelaEngine::ClockSyncTick() {
  FClockSyncPending = false;
  Timer1->SetEnabled(false);
  LogStatus(msg::kClockSyncCommand);
  // The device takes the value about 550 ms after this tick, on a whole second.
  const TDateTime target = FSeams.clock.Now() + 550.0 / 86400000.0;
  FTimePrm->SetSeconds(DateTimeToSeconds(target));
  FJobIndex = FPrefixLength - 1;
  WriteJobs(joblists::kSetClock);
  Advance();
}

}  // namespace vela
