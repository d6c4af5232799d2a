// The operations: what each sets up before its job list runs, and the
// settings written to the device.

#include <utility>

#include "app/DeviceIdentification.h"
#include "app/Engine.h"
#include "app/IecWorkflows.h"
#include "app/Messages.h"
#include "common/DateTime.h"

namespace vela {

void TVelaEngine::Start(TOperationKind kind) {
  try {
    switch (kind) {
      case TOperationKind::ReadOnce:
        ReadOnce();
        return;
      case TOperationKind::Continuous:
        if (!FContinuousRunning) ToggleContinuousReading();
        return;
      case TOperationKind::SyncClock:
        SyncClock();
        return;
      case TOperationKind::ReadSettings:
        ReadSettings();
        return;
      case TOperationKind::WriteSettings:
        WriteSettings();
        return;
      case TOperationKind::WriteFactory:
        WriteFactorySettings();
        return;
      case TOperationKind::Identification:
        IdentificationReport();
        return;
      case TOperationKind::Probe:
        ProbeIdentification(0);
        return;
    }
  } catch (const std::exception& e) {
    HandleException(this, e);
  }
}

void TVelaEngine::ReadOnce() {
  FVerifyMode = false;
  FSingleShot = true;
  FConfigOperation = false;
  FActivityLog.Clear();
  FExchangeStats.Reset();
  FRecord.Begin(TOperationKind::ReadOnce, InIecMode());
  if (FIec) {
    FIec->ReadOnce();
    return;
  }
  StartOperation(joblists::kReadOnce, true);
}

void TVelaEngine::ToggleContinuousReading() {
  FConfigOperation = false;
  if (FContinuousRunning) {
    Log(msg::kStopped);
    CancelOperation();
    return;
  }
  FActivityLog.Clear();
  FExchangeStats.Reset();
  FRecord.Begin(TOperationKind::Continuous, InIecMode());
  if (FIec) {
    FIec->StartContinuous();
    return;
  }
  if (!StartOperation(joblists::kReadContinuously, true)) return;
  if (!FBusy) return;  // the prefix already stopped the operation
  SetContinuousRunning(true);
  Log(msg::kContinuousReading);
}

void TVelaEngine::SyncClock() {
  FConfigOperation = true;
  FActivityLog.Clear();
  FRecord.Begin(TOperationKind::SyncClock, InIecMode());
  if (FIec) {
    FConfigOperation = false;
    FIec->SyncClock();
    return;
  }
  FVerboseStatus = true;
  LogStatus(msg::kClockSyncStart);
  if (!OpenPortForOperation()) return;
  SetBusy(true);
  FClockSyncPending = true;
  // The tick comes about 450 ms after the next whole second.
  const int millisecond = DecodeDateTime(FSeams.clock.Now()).millisecond;
  Timer1->SetEnabled(false);
  Timer1->SetInterval(static_cast<unsigned>(1450 - millisecond));
  Timer1->SetEnabled(true);
}

bool TVelaEngine::RefusedInIecMode(TOperationKind kind) {
  // The settings live in Modbus registers only.
  if (!FIec) return false;
  Log(msg::kIecModbusOnly);
  Refuse(kind, TOutcomeReason::ModbusOnly);
  return true;
}

void TVelaEngine::Refuse(TOperationKind kind, TOutcomeReason reason) {
  FLastOutcome = TOperationRecord::Refused(kind, InIecMode(), reason);
  if (OnOperationOutcome) OnOperationOutcome(FLastOutcome);
}

void TVelaEngine::EndOutcome() {
  const TWritePhase writePhase = std::exchange(FWritePhase, TWritePhase::None);
  if (!FRecord.Active()) return;
  TOperationOutcome& outcome = FRecord.Outcome();
  // A write that ended early: the link block holds what was to be written,
  // unless the read-back replaced it with what the device holds.
  bool writeEndedEarly = false;
  if (writePhase != TWritePhase::None && !FRecord.Done()) {
    for (const TBlockResult& block : outcome.blocks) {
      if (block.sent && BlockAccessOf(block.job) == TBlockAccess::WriteParams)
        writeEndedEarly = true;
    }
  }
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const TClrValue& cell = (*FCells)[slot];
    outcome.cells[static_cast<size_t>(slot)] = {cell.State(), cell.Value(), cell.Missing()};
    if (cell.State() == cvsValue) outcome.valuesShown = true;
  }
  outcome.clockText = FPresenter->DeviceClockText();
  if (FIec) outcome.clockConfirmed = FIec->ClockConfirmed();
  const TBlockResult* link = outcome.Block(jobGetLinkPrm);
  if (link && link->taken && (!writeEndedEarly || FWriteEvidence.readBack.count(jobSetLinkPrm))) {
    outcome.settings = TSettingsReport{FLinkPrm->GetProtocol(),   FLinkPrm->GetDeviceAddress(),
                                       FLinkPrm->GetSpeedIndex(), FLinkPrm->GetFrameIndex(),
                                       FLinkPrm->GetThreeWire(),  FLinkPrm->GetSerialNumber()};
  }
  if (FDevInfoRead && !outcome.identification) {
    outcome.identification = TIdentificationReport{FDevInfo->GetHID(), false};
  }
  if (writeEndedEarly) FillWriteReport(outcome);
  FWriteEvidence = TWriteEvidence{};
  FLastOutcome = FRecord.Finish();
  if (OnOperationOutcome) OnOperationOutcome(FLastOutcome);
}

void TVelaEngine::ReadSettings() {
  if (RefusedInIecMode(TOperationKind::ReadSettings)) return;
  FConfigOperation = true;
  FVerboseStatus = true;
  FActivityLog.Clear();
  FRecord.Begin(TOperationKind::ReadSettings, false);
  StartOperation(joblists::kReadSettings, true);
}

void TVelaEngine::WriteSettings() {
  if (RefusedInIecMode(TOperationKind::WriteSettings)) return;
  if (!DeviceSettingsKnown()) {
    FActivityLog.Clear();
    Log(DeviceSettingsRead() ? msg::kSettingsIncomplete : msg::kSettingsNotRead);
    Refuse(TOperationKind::WriteSettings, TOutcomeReason::SettingsUnknown);
    return;
  }
  FConfigOperation = true;
  FVerboseStatus = true;
  FActivityLog.Clear();
  FRecord.Begin(TOperationKind::WriteSettings, false);
  FillWriteBlocks();
  StartWrite(joblists::kWriteSettings, true);
}

void TVelaEngine::WriteFactorySettings() {
  if (RefusedInIecMode(TOperationKind::WriteFactory)) return;
  SetFactoryDefaults();
  FConfigOperation = true;
  FVerboseStatus = true;
  FActivityLog.Clear();
  FRecord.Begin(TOperationKind::WriteFactory, false);
  FillWriteBlocks();
  StartWrite(joblists::kWriteFactoryDefaults, false);
}

std::string TVelaEngine::LinkSource() const {
  return FPort->PortName() + "#" + std::to_string(FPacker->Address);
}

void TVelaEngine::StartWrite(const std::vector<uint8_t>& jobs, bool readFirst) {
  // The link block also carries words the controls do not set (the serial
  // number among them): unless it was read from this device, read it first
  // so that the write sends back what the device holds. A settings write
  // always reads it first: its serial number must be the one the settings
  // were read from.
  FWriteOperation = true;
  FWritePhase = TWritePhase::Writing;
  FWriteEvidence = TWriteEvidence{};
  for (const uint8_t job : jobs) {
    if (BlockAccessOf(job) == TBlockAccess::WriteParams) FWriteEvidence.setJobs.push_back(job);
  }
  FWriteStartLink = FLink;
  if (!readFirst && FLinkPrmSource == LinkSource()) {
    StartOperation(jobs, false);
    return;
  }
  std::vector<uint8_t> withRead(jobs.size() + 1, jobGetLinkPrm);
  std::copy(jobs.begin(), jobs.end(), withRead.begin() + 1);
  StartOperation(withRead, false);
}

void TVelaEngine::IdentificationReport() {
  FVerifyMode = true;
  FSingleShot = true;
  FConfigOperation = false;
  FNoAnswerSeen = false;
  FActivityLog.Clear();
  FRecord.Begin(TOperationKind::Identification, InIecMode());
  Log("[Идентификация программы]");
  Log("Наименование: Программа конфигурации и отображения результатов измерений Vela.");
  Log("Идентификационное наименование: VelaLink");
  Log("Номер версии: " + FSeams.programVersion);
  try {
    const std::string digest = FSeams.programDigest ? FSeams.programDigest() : std::string();
    Log("Цифровой идентификатор: " + digest);
  } catch (const std::exception& e) {
    ClearOperationFlags();
    ReportOutsideJob(e);
    FRecord.Fail(TOutcomeReason::Other);
    EndOutcome();
    return;
  }
  Log("Алгоритм вычисления: хэширование по ГОСТ Р 34.11-2012");
  Log("\r\n[Идентификация прибора]");
  if (InIecMode()) {
    Log("Верификация прибора возможна только посредством протокола Modbus.");
    ClearOperationFlags();
    FRecord.Fail(TOutcomeReason::ModbusOnly);
    EndOutcome();
    return;
  }
  StartOperation(joblists::kIdentificationReport, true);
}

bool TVelaEngine::ProbeIdentification(int timeoutMs) {
  FConfigOperation = true;  // nothing shown is touched by a time-out
  FSingleShot = true;
  FActivityLog.Clear();
  FRecord.Begin(TOperationKind::Probe, false);
  FProbeTimeoutMs = timeoutMs;  // cleared with the other flags when the operation ends
  return StartOperation(joblists::kIdentificationProbe, false);
}

void TVelaEngine::VerifyDevice() {
  // Only identification data read in this operation may vouch for the device.
  if (!FDevInfoRead || (FDevInfo->GetHID() & 0xFFFFFF00u) != kVelaHardwareCode) {
    FRecord.Fail(TOutcomeReason::UnknownDevice);
    Log(msg::kVerifyFailed);
    return;
  }
  FRecord.Outcome().identification = TIdentificationReport{FDevInfo->GetHID(), true};
  const TSoftwareIdentity identity = SoftwareIdentity(FDevInfo->GetSID(), FDevInfo->GetDigitalId());
  Log("Наименование: " + identity.name + ".");
  Log("Идентификационное наименование: " + identity.identificationName);
  Log("Номер версии: " + identity.version);
  Log("Цифровой идентификатор: " + identity.digitalId);
  Log("Алгоритм вычисления: " + identity.algorithm);
}

void TVelaEngine::FillWriteBlocks() {
  const TIecDeviceOptions& options = IecDeviceOptions();
  FLinkPrm->SetProtocol(static_cast<uint8_t>(std::max(FDevice.protocol, 0)));
  // No valid address chosen: the default 1, never 0 (broadcast).
  const int address = FDevice.address;
  FLinkPrm->SetDeviceAddress(
      static_cast<uint8_t>(address >= 1 && address <= kMaxAddress ? address : 1));
  FLinkPrm->SetSpeedIndex(
      static_cast<uint8_t>(FDevice.speedIndex >= 0 ? FDevice.speedIndex : kFactorySpeedIndex));
  FLinkPrm->SetFrameIndex(static_cast<uint8_t>(std::max(FDevice.frame, 0)));
  FLinkPrm->SetNormalisationType(3);
  const bool threeWire = FDevice.threeWire.value_or(false);
  FLinkPrm->SetThreeWire(threeWire);
  FLinkPrm->SetIecLinkAddressLength(static_cast<uint8_t>(options.LinkAddressLength));
  FLinkPrm->SetIecCotLength(static_cast<uint8_t>(options.CotLength));
  FLinkPrm->SetIecCommonAddressLength(static_cast<uint8_t>(options.CommonAddressLength));
  FLinkPrm->SetIecIoaLength(static_cast<uint8_t>(options.IoaLength));
  FLinkPrm2->SetIecAsduType(static_cast<uint8_t>(options.AsduFormat));
  FLinkPrm3->SetIecCyclic(options.CyclicTransmission ? 1 : 0);
  FLinkPrm3->SetIecCycleInterval(static_cast<uint16_t>(options.CyclicInterval));
  FLinkPrm4->SetIecCommonAddress(static_cast<uint16_t>(options.CommonAddress));
  FMainPrm->SetNormalisationType(3);
  FMainPrm->SetThreeWire(threeWire);
}

void TVelaEngine::SetFactoryDefaults() {
  FDevice = TDeviceSettingsModel{};  // MODBUS RTU, 38400, 8E1, address 1, 4-wire network
  IecDeviceOptions() = TIecDeviceOptions::Factory();
  DeviceSettingsChanged();
}

void TVelaEngine::ApplyFactoryLink() {
  const TProgramLink before = FLink;
  FPreviousLink = FLink;
  TProgramLink factory = FLink;
  factory.protocol = 0;
  factory.speedIndex = kFactorySpeedIndex;
  factory.frame = 0;
  factory.address = 1;
  SetProgramLink(factory);
  FFactoryLinkSwitched = before != FLink;
}

void TVelaEngine::SetProgramLink(const TProgramLink& link) {
  FLink.protocol = link.protocol;
  ApplyProtocol();
  FLink.speedIndex = link.speedIndex;
  ApplySpeed();
  FLink.frame = link.frame;
  ApplyFrame();
  FLink.address = link.address;
  ApplyAddress();
  if (OnProgramLinkChanged) OnProgramLinkChanged();
}

void TVelaEngine::FinalizeUnansweredOnFactoryLink() {
  const TProgramLink current = FLink;
  if (FFactoryLinkSwitched) {
    // The device takes its new settings only when finalized, so it may still
    // listen on its old link: finalize there once.
    FFactoryLinkSwitched = false;
    FFinalizeOnPreviousLink = true;
    const TProgramLink previous = FPreviousLink;
    FPreviousLink = current;  // the factory link, for afterwards
    SetProgramLink(previous);
    Log(msg::kFinalizeOnPreviousLink);
    FRepeatPending = true;
    StartCurrentJob();
    return;
  }
  // Neither link answered: the program is left on the factory link.
  FFinalizeOnPreviousLink = false;
  SetProgramLink(FPreviousLink);
  Log(msg::kFactoryLinkNoAnswer);
  if (FWritePhase == TWritePhase::Writing) {
    BeginReadBack();  // what did the device take?
    return;
  }
  StopOperation();
}

}  // namespace vela
