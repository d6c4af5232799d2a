// What each block job does with its response, and how the exception handler
// reacts to a failed response, job by job.

#include <cstdio>
#include <optional>
#include <utility>

#include "app/DeviceIdentification.h"
#include "app/Engine.h"
#include "app/IecWorkflows.h"
#include "app/Messages.h"
#include "app/PortOutage.h"
#include "display/RegisterReading.h"
#include "modbus/ModbusBlockOps.h"

namespace vela {
namespace {

// The cells a measured-value job fills; none for the other jobs.
std::optional<TValueGroup> ValueGroupOf(uint8_t job) {
  switch (job) {
    case jobGetValues:
      return TValueGroup::MainValues;
    case jobGetF:
      return TValueGroup::Frequency;
    case jobGetCos3:
      return TValueGroup::TotalCos;
    case jobGetCos4:
      return TValueGroup::PhaseCos;
    default:
      return std::nullopt;
  }
}

}  // namespace

void TVelaEngine::CompleteJob(uint8_t job, const Octets& data) {
  TIecDeviceOptions& options = IecDeviceOptions();
  switch (job) {
    case jobNone:
      Log(msg::kUnexpectedData);
      return;
    case jobGetMainPrm:
      ParseParams(*FPacker, *FMainPrm, data);
      ApplyNetworkType();
      if (!FPendingOldFirmware.empty()) Log(FPendingOldFirmware);
      LogStatus(msg::kNetworkTypeRead);
      return;
    case jobSetMainPrm:
      ParseWriteParams(*FPacker, *FMainPrm, data);
      LogStatus(msg::kWritingNetworkType);
      return;
    case jobFinalizePrm:
      ParseWriteParams(*FPacker, *FFinalizePrm, data);
      FRecord.MarkDone();
      if (FFinalizeOnPreviousLink) {
        FFinalizeOnPreviousLink = false;
        SetProgramLink(FPreviousLink);
        Log(msg::kFinalizeAnsweredOnPreviousLink);
      } else if (std::exchange(FFactoryLinkSwitched, false)) {
        Log(msg::kFinalizeAnsweredOnFactoryLink);
      }
      if (FPendingSpeedNote.empty()) {
        Log(msg::kOperationDone);
      } else {
        Log(FPendingSpeedNote);
        Log(msg::kOperationEnded);
        FPendingSpeedNote.clear();
      }
      return;
    case jobGetLinkPrm:
      ParseParams(*FPacker, *FLinkPrm, data);
      CompleteLinkRead();
      LogStatus(msg::kLinkSettingsRead);
      return;
    case jobSetLinkPrm:
      ParseWriteParams(*FPacker, *FLinkPrm, data);
      LogStatus(msg::kWritingLinkSettings);
      return;
    case jobGetLinkPrm2:
      ParseParams(*FPacker, *FLinkPrm2, data);
      options.AsduFormat = FLinkPrm2->GetIecAsduType();
      return;
    case jobGetLinkPrm3:
      ParseParams(*FPacker, *FLinkPrm3, data);
      options.CyclicTransmission = (FLinkPrm3->GetIecCyclic() & 0xFF) != 0;
      options.CyclicInterval = FLinkPrm3->GetIecCycleInterval();
      return;
    case jobGetLinkPrm4:
      ParseParams(*FPacker, *FLinkPrm4, data);
      options.CommonAddress = FLinkPrm4->GetIecCommonAddress();
      return;
    case jobSetLinkPrm2:
      ParseWriteParams(*FPacker, *FLinkPrm2, data);
      return;
    case jobSetLinkPrm3:
      ParseWriteParams(*FPacker, *FLinkPrm3, data);
      return;
    case jobSetLinkPrm4:
      ParseWriteParams(*FPacker, *FLinkPrm4, data);
      return;
    default:
      CompleteReadJob(job, data);
      return;
  }
}

void TVelaEngine::CompleteReadJob(uint8_t job, const Octets& data) {
  switch (job) {
    case jobGetValues:
      if (FMainPrm->GetThreeWire()) {
        ParseValues(*FPacker, *FValues3Wire, data);
        FPresenter->ShowReading(TValueGroup::MainValues, DecodeRegisters(*FValues3Wire, *FMainPrm));
      } else {
        ParseValues(*FPacker, *FValues4Wire, data);
        FPresenter->ShowReading(TValueGroup::MainValues, DecodeRegisters(*FValues4Wire, *FMainPrm));
      }
      FReadingTaken = true;
      LogStatus(msg::kValuesRead);
      return;
    case jobGetF:
      ParseValues(*FPacker, *FValuesF, data);
      FPresenter->ShowReading(TValueGroup::Frequency, DecodeRegisters(*FValuesF, *FMainPrm));
      FReadingTaken = true;
      LogStatus(msg::kFrequencyRead);
      return;
    case jobGetTime:
      ParseParams(*FPacker, *FTimePrm, data);
      FPresenter->ShowDeviceClock(FTimePrm->GetSeconds());
      LogStatus(msg::kClockRead);
      return;
    case jobSetTime:
      ParseWriteParams(*FPacker, *FTimePrm, data);
      FPresenter->ShowDeviceClock(FTimePrm->GetSeconds());
      LogStatus(msg::kClockSet);
      FRecord.Taken(job);
      FRecord.MarkDone();
      StopOperation();
      return;
    case jobGetCos3:
      ParseValues(*FPacker, *FValues3Cos, data);
      FPresenter->ShowReading(TValueGroup::TotalCos, DecodeRegisters(*FValues3Cos, *FMainPrm));
      FCosSupport = 2;
      FReadingTaken = true;
      return;
    case jobGetCos4:
      ParseValues(*FPacker, *FValues4Cos, data);
      FPresenter->ShowReading(TValueGroup::PhaseCos, DecodeRegisters(*FValues4Cos, *FMainPrm));
      FReadingTaken = true;
      return;
    case jobDevInfo:
      ParseValues(*FPacker, *FDevInfo, data);
      FDevInfoRead = true;
      CompleteDevInfo();
      return;
    default:
      return;  // local jobs have no completion
  }
}

void TVelaEngine::CompleteLinkRead() {
  FLinkPrmSource = LinkSource();
  if (FWritePhase == TWritePhase::ReadingBack) {
    LinkSettingsRead();  // the boxes show what the device holds now
    return;
  }
  if (FWritePhase == TWritePhase::Writing &&
      FRecord.Outcome().kind == TOperationKind::WriteSettings &&
      (!FSettingsOrigin || FSettingsOrigin->serial != FLinkPrm->GetSerialNumber())) {
    // Another device answers than the one whose settings are to be written.
    Log(msg::kOtherDeviceForWrite);
    ForgetDevice(true);
    FRecord.Fail(TOutcomeReason::OtherDevice);
    FWritePhase = TWritePhase::Abandoned;  // the advance ends it
    return;
  }
  // Read ahead of a write: the words the controls set are taken from the
  // controls again; the others keep what the device sent.
  if (FWriteOperation) {
    FillWriteBlocks();
  } else {
    LinkSettingsRead();
  }
}

void TVelaEngine::ApplyNetworkType() {
  TakeNetworkType(FMainPrm->GetNormalisationType(), FMainPrm->GetThreeWire());
  DeviceSettingsChanged();
}

void TVelaEngine::TakeNetworkType(uint8_t normalisationType, bool threeWire) {
  if (normalisationType >= 2 && normalisationType <= 4) {
    FNetworkTypeKnown = true;
  } else {
    Log(msg::kUnknownNormalisation);
  }
  FDevice.threeWire = threeWire;
}

void TVelaEngine::CompleteDevInfo() {
  const TIdentResult result =
      IdentifyDevice(FDevInfo->GetHID(), FDevInfo->GetSID(), FDevInfo->GetSerial());
  // Another device on the line: what the window shows is not this one's.
  if (result.verdict == TIdentVerdict::Rejected ||
      (FShownSerial && *FShownSerial != FDevInfo->GetSerial())) {
    ForgetDevice(true);
  }
  for (const std::string& line : result.lines) Log(line);
  if (result.verdict == TIdentVerdict::Rejected) {
    FRecord.Taken(jobDevInfo);
    FRecord.Fail(TOutcomeReason::UnknownDevice);
    StopOperation();
  }
}

void TVelaEngine::HandleException(void* sender, const std::exception& e) {
  Trace(std::string("Exc: ") + e.what());
  FSkipOnNextTick = false;
  const bool fromCompletion = std::exchange(FCompletionFailed, false);
  if (sender == FPort.get() && !fromCompletion) {
    FAnswerDueMs.reset();  // a failed port brings no answer
    EndLateAnswerWait();
  }
  if (sender == FPort.get() && !fromCompletion && FBusy) {
    // The port itself failed (a device unplugged, a read or write refused):
    // no answer can come any more, so say why and end the operation. The
    // values shown are no longer being read; settings being written stay.
    Log(e.what());
    if (FIec) FIec->PortLost();
    ForgetDevice(!FWriteOperation);
    FRecord.Fail(TOutcomeReason::PortLost, true);
    FPortFailed = true;
    const bool continuous = FContinuousRunning;
    const bool readOnce = FRecord.Outcome().kind == TOperationKind::ReadOnce;
    StopOperation();
    if (!FSeams.rideThroughPortLoss) return;
    if (continuous) {
      BeginPortOutage();
    } else if (readOnce) {
      Log(PortLostText(FLink.port, FSeams.clock.Now()) +
          ": чтение однократно прервано. Проверьте кабель и адаптер; когда порт вернётся, "
          "прочитайте снова.");
    }
    return;
  }
  HandleJobException(CurrentJob(), e);
}

void TVelaEngine::ForgetDevice(bool settingsToo) {
  FPresenter->HideAllCells();
  FPresenter->ClearDeviceClock();
  CellsChanged();
  SetSerialCaption(std::nullopt);
  if (!settingsToo) return;
  ForgetSettingsOrigin();
  FDevice = TDeviceSettingsModel{-1, -1, -1, 0, std::nullopt};
  FLinkPrmSource.clear();  // a write reads the link block again first
  DeviceSettingsChanged();
}

void TVelaEngine::HandleJobException(uint8_t job, const std::exception& e) {
  const auto* logic = dynamic_cast<const TModbusLogicException*>(&e);
  const std::string message = e.what();
  switch (job) {
    case jobGetMainPrm:
    case jobGetLinkPrm:
      Log(msg::kReadParamsPrefix + message);
      return;
    case jobSetMainPrm:
    case jobFinalizePrm:
    case jobSetLinkPrm:
      Log(logic && logic->Code == 6 ? msg::kDeviceBusy : msg::kWriteParamsPrefix + message);
      StopWriteOnRefusal(logic);
      return;
    case jobGetLinkPrm2:
    case jobSetLinkPrm2:
    case jobGetLinkPrm3:
    case jobSetLinkPrm3:
    case jobGetLinkPrm4:
    case jobSetLinkPrm4:
      if (logic && logic->Code == 2) {
        HandleMissingLinkBlock(job);
      } else if (BlockAccessOf(job) == TBlockAccess::WriteParams) {
        StopWriteOnRefusal(logic);
      }
      return;
    case jobSetTime:
      Log(msg::kWriteClockPrefix + message);
      return;
    case jobDevInfo:
      // Firmware without the identification block: served unchecked.
      FPendingOldFirmware = msg::kOldFirmware;
      FSkipOnNextTick = true;
      return;
    case jobGetValues:
    case jobGetF:
    case jobGetTime:
    case jobGetCos3:
    case jobGetCos4:
      if (logic) HandleRefusedRead(job, logic->Code);
      return;
    default:
      Log(message);  // no job, or a local job
      return;
  }
}

void TVelaEngine::StopWriteOnRefusal(const TModbusLogicException* logic) {
  // The device refused the value (busy aside): repeating it changes nothing,
  // so the write ends at the time-out and the settings are read back.
  if (logic && logic->Code != 6 && FWritePhase == TWritePhase::Writing) {
    FWritePhase = TWritePhase::StopRequested;
  }
}

void TVelaEngine::HandleMissingLinkBlock(uint8_t job) {
  // Older firmware has no link blocks 2 to 4: take their defaults and go on.
  TIecDeviceOptions& options = IecDeviceOptions();
  switch (job) {
    case jobGetLinkPrm2:
      options.AsduFormat = 13;
      break;
    case jobSetLinkPrm2:
      if (FDevice.protocol == 2 && options.AsduFormat != 13) {
        options.AsduFormat = 13;
        Log(msg::kOnlyAsdu13);
      }
      FCosSupport = 1;
      {
        const std::string speed = FDevice.SpeedText();
        if (speed == "76800" || speed == "115200" || speed == "230400") {
          FPendingSpeedNote = msg::kSpeedNote;
          FDevice.speedIndex = kFactorySpeedIndex;
          FLinkPrm->SetSpeedIndex(
              kFactorySpeedIndex);  // the link block written later carries it too
          DeviceSettingsChanged();
        }
      }
      break;
    case jobGetLinkPrm3:
      options.CyclicTransmission = true;
      options.CyclicInterval = 0;
      break;
    case jobGetLinkPrm4:
      options.CommonAddress = 1;
      break;
    default:
      break;
  }
  SettingsBlockRead(job);  // a missing block's defaults are known
  FSkipOnNextTick = true;
}

void TVelaEngine::HandleRefusedRead(uint8_t job, int32_t code) {
  // An exception is no value and no quality mark: the block's cells stay
  // empty in this reading.
  const bool threeWire = FMainPrm->GetThreeWire();
  switch (job) {
    case jobGetTime:
      FPresenter->ShowDeviceClockRefused();
      return;
    case jobGetCos3:
      FCosSupport = FPresenter->ShowTotalCosRefused(code) ? 2 : 1;
      return;
    default:
      if (const auto group = ValueGroupOf(job)) {
        FPresenter->ShowGroupMissing(*group, threeWire, TMissingReason::DeviceException);
      }
      return;
  }
}

void TVelaEngine::ShowUnreadBlock(uint8_t job) {
  const TBlockResult* result = FRecord.Outcome().Block(job);
  if (!result || result->taken) return;
  if (job == jobGetTime) {
    // A refused clock read shows "нет"; without an answer no time is shown.
    if (result->exceptionCode == 0) FPresenter->ClearDeviceClock();
    return;
  }
  const auto group = ValueGroupOf(job);
  if (!group) return;
  TMissingReason reason = TMissingReason::NoAnswer;
  if (result->exceptionCode != 0) {
    if (job == jobGetCos3 && FCosSupport == 1) return;  // no power factors: nothing is missing
    reason = TMissingReason::DeviceException;
  } else if (result->badFrame || result->answered) {
    reason = TMissingReason::BadFrame;
  }
  FPresenter->ShowGroupMissing(*group, FMainPrm->GetThreeWire(), reason);
}

}  // namespace vela
