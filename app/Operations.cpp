// The operation buttons: what each sets up before its job list runs, the
// settings written to the device, and which controls an operation disables.

#include "app/DeviceIdentification.h"
#include "app/IecWorkflows.h"
#include "app/MainForm.h"
#include "app/Messages.h"
#include "common/DateTime.h"

namespace vela {

void TForm1::Button4Click() {
  FVerifyMode = false;
  FSingleShot = true;
  FConfigOperation = false;
  Memo1.Clear();
  FExchangeStats.Reset();
  FRecord.Begin(TOperationKind::ReadOnce, InIecMode());
  if (FIec) {
    FIec->ReadOnce();
    return;
  }
  StartOperation(joblists::kReadOnce, true);
}

void TForm1::Button5Click() {
  FConfigOperation = false;
  if (FContinuousRunning) {
    Log(msg::kStopped);
    CancelOperation();
    return;
  }
  Memo1.Clear();
  FExchangeStats.Reset();
  FRecord.Begin(TOperationKind::Continuous, InIecMode());
  if (FIec) {
    FIec->StartContinuous();
    return;
  }
  if (!StartOperation(joblists::kReadContinuously, true)) return;
  if (!FBusy) return;  // the prefix already stopped the operation
  Button5.SetEnabled(true);
  Button5.SetCaption(msg::kStopReading);
  FContinuousRunning = true;
  Log(msg::kContinuousReading);
}

void TForm1::Button1Click() {
  FConfigOperation = true;
  Memo1.Clear();
  FRecord.Begin(TOperationKind::SyncClock, InIecMode());
  if (FIec) {
    FConfigOperation = false;
    FIec->SyncClock();
    return;
  }
  FVerboseStatus = true;
  LogStatus(msg::kClockSyncStart);
  if (!OpenPortForOperation()) return;
  EnableControls(false);
  FClockSyncPending = true;
  // The tick comes about 450 ms after the next whole second.
  const int millisecond = DecodeDateTime(FSeams.clock.Now()).millisecond;
  Timer1->SetEnabled(false);
  Timer1->SetInterval(static_cast<unsigned>(1450 - millisecond));
  Timer1->SetEnabled(true);
}

bool TForm1::RefusedInIecMode(TOperationKind kind) {
  // The settings live in Modbus registers only.
  if (!FIec) return false;
  Log(msg::kIecModbusOnly);
  Refuse(kind, TOutcomeReason::ModbusOnly);
  return true;
}

void TForm1::Refuse(TOperationKind kind, TOutcomeReason reason) {
  FLastOutcome = TOperationRecord::Refused(kind, InIecMode(), reason);
  if (OnOperationOutcome) OnOperationOutcome(FLastOutcome);
}

void TForm1::EndOutcome() {
  if (!FRecord.Active()) return;
  TOperationOutcome& outcome = FRecord.Outcome();
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const TClrValue& cell = (*FCells)[slot];
    outcome.cells[static_cast<size_t>(slot)] = {cell.State(), cell.Value()};
    if (cell.State() == cvsValue) outcome.valuesShown = true;
  }
  outcome.clockText = FPresenter->DeviceClockText();
  if (FIec) outcome.clockConfirmed = FIec->ClockConfirmed();
  const TBlockResult* link = outcome.Block(jobGetLinkPrm);
  if (link && link->taken) {
    outcome.settings = TSettingsReport{FLinkPrm->GetProtocol(),   FLinkPrm->GetDeviceAddress(),
                                       FLinkPrm->GetSpeedIndex(), FLinkPrm->GetFrameIndex(),
                                       FLinkPrm->GetThreeWire(),  FLinkPrm->GetSerialNumber()};
  }
  if (FDevInfoRead && !outcome.identification) {
    outcome.identification = TIdentificationReport{FDevInfo->GetHID(), false};
  }
  FLastOutcome = FRecord.Finish();
  if (OnOperationOutcome) OnOperationOutcome(FLastOutcome);
}

void TForm1::Button7Click() {
  if (RefusedInIecMode(TOperationKind::ReadSettings)) return;
  FConfigOperation = true;
  FVerboseStatus = true;
  Memo1.Clear();
  FRecord.Begin(TOperationKind::ReadSettings, false);
  StartOperation(joblists::kReadSettings, true);
}

void TForm1::Button3Click() {
  if (RefusedInIecMode(TOperationKind::WriteSettings)) return;
  FConfigOperation = true;
  FVerboseStatus = true;
  Memo1.Clear();
  FRecord.Begin(TOperationKind::WriteSettings, false);
  FillWriteBlocks();
  StartWrite(joblists::kWriteSettings);
}

void TForm1::Button8Click() {
  if (RefusedInIecMode(TOperationKind::WriteFactory)) return;
  SetFactoryDefaults();
  FConfigOperation = true;
  FVerboseStatus = true;
  Memo1.Clear();
  FRecord.Begin(TOperationKind::WriteFactory, false);
  FillWriteBlocks();
  StartWrite(joblists::kWriteFactoryDefaults);
}

std::string TForm1::LinkSource() const {
  return FPort->PortName() + "#" + std::to_string(FPacker->Address);
}

void TForm1::StartWrite(const std::vector<uint8_t>& jobs) {
  // The link block also carries words the controls do not set (the serial
  // number among them): unless it was read from this device, read it first
  // so that the write sends back what the device holds.
  FWriteOperation = true;
  if (FLinkPrmSource == LinkSource()) {
    StartOperation(jobs, false);
    return;
  }
  std::vector<uint8_t> withRead(jobs.size() + 1, jobGetLinkPrm);
  std::copy(jobs.begin(), jobs.end(), withRead.begin() + 1);
  StartOperation(withRead, false);
}

void TForm1::btnVerifyClick() {
  FVerifyMode = true;
  FSingleShot = true;
  FConfigOperation = false;
  FNoAnswerSeen = false;
  Memo1.Clear();
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

bool TForm1::ProbeIdentification(int timeoutMs) {
  FConfigOperation = true;  // nothing shown is touched by a time-out
  FSingleShot = true;
  Memo1.Clear();
  FRecord.Begin(TOperationKind::Probe, false);
  FProbeTimeoutMs = timeoutMs;  // cleared with the other flags when the operation ends
  return StartOperation(joblists::kIdentificationProbe, false);
}

void TForm1::ReportOutsideJob(const std::exception& e) {
  // The job left current by the last operation, or the one running now, has
  // nothing to do with this failure: its exception rule must not apply.
  Trace(std::string("Exc: ") + e.what());
  Log(e.what());
}

void TForm1::VerifyDevice() {
  // Only identification data read in this operation may vouch for the device.
  if (!FDevInfoRead || (FDevInfo->GetHID() & 0xFFFFFF00u) != kVelaHardwareCode) {
    FRecord.Fail(TOutcomeReason::UnknownDevice);
    Log(msg::kVerifyFailed);
    return;
  }
  FRecord.Outcome().identification = TIdentificationReport{FDevInfo->GetHID(), true};
  const TSoftwareIdentity identity = SoftwareIdentity(FDevInfo->GetSID(), FDevInfo->GetDigitalId());
  Log("Наименование: ПО преобразователя измерительного многофункционального Vela.");
  Log("Идентификационное наименование: Vela_sappl");
  Log("Номер версии: " + identity.version);
  Log("Цифровой идентификатор: " + identity.digitalId);
  Log("Алгоритм вычисления: хэширование");
}

void TForm1::EnableControls(bool enable) {
  FBusy = !enable;
  for (TControl* c : std::initializer_list<TControl*>{&Button1, &Button4, &Button5}) {
    c->SetEnabled(enable);
  }
  // What IEC mode disabled stays disabled while it lasts.
  const bool modbusOnly = enable && !InIecMode();
  for (TControl* c : std::initializer_list<TControl*>{&cbProtocolType, &cbSpeed, &cbFrame,
                                                      &cbAddress, &btnIecCfg}) {
    c->SetEnabled(modbusOnly);
  }
  for (TControl* c :
       std::initializer_list<TControl*>{&Button8, &btnVerify, &rb3w, &rb4w, &Button7, &Button3}) {
    c->SetEnabled(modbusOnly);
  }
  ComboBox2.SetEnabled(enable && cbInterfaceType.ItemIndex() == 1);
}

void TForm1::FillWriteBlocks() {
  const TIecDeviceOptions& options = IecDeviceOptions();
  FLinkPrm->SetProtocol(static_cast<uint8_t>(std::max(cbProtocolType.ItemIndex(), 0)));
  // No valid address selected: the default 1, never 0 (broadcast).
  const int address = cbAddress.ItemIndex();
  FLinkPrm->SetDeviceAddress(static_cast<uint8_t>(address >= 0 && address < 247 ? address + 1 : 1));
  FLinkPrm->SetSpeedIndex(static_cast<uint8_t>(cbSpeed.ItemIndex() >= 0 ? cbSpeed.ItemIndex() : 2));
  FLinkPrm->SetFrameIndex(static_cast<uint8_t>(std::max(cbFrame.ItemIndex(), 0)));
  FLinkPrm->SetNormalisationType(3);
  FLinkPrm->SetThreeWire(rb3w.Checked());
  FLinkPrm->SetIecLinkAddressLength(static_cast<uint8_t>(options.LinkAddressLength));
  FLinkPrm->SetIecCotLength(static_cast<uint8_t>(options.CotLength));
  FLinkPrm->SetIecCommonAddressLength(static_cast<uint8_t>(options.CommonAddressLength));
  FLinkPrm->SetIecIoaLength(static_cast<uint8_t>(options.IoaLength));
  FLinkPrm2->SetIecAsduType(static_cast<uint8_t>(options.AsduFormat));
  FLinkPrm3->SetIecCyclic(options.CyclicTransmission ? 1 : 0);
  FLinkPrm3->SetIecCycleInterval(static_cast<uint16_t>(options.CyclicInterval));
  FLinkPrm4->SetIecCommonAddress(static_cast<uint16_t>(options.CommonAddress));
  FMainPrm->SetNormalisationType(3);
  FMainPrm->SetThreeWire(rb3w.Checked());
}

void TForm1::SetFactoryDefaults() {
  cbProtocolType.SetItemIndex(0);
  cbProtocolTypeClick();
  SelectComboItem(cbSpeed, "38400");
  cbFrame.SetItemIndex(0);
  cbAddress.SetItemIndex(0);
  IecDeviceOptions() = TIecDeviceOptions::Factory();
  btnIecCfg.SetVisible(false);
  btnIecCfg.SetEnabled(false);
  rb4w.SetChecked(true);
}

void TForm1::ApplyFactoryLink() {
  const std::string before = ComboBox2.Text() + ComboBox3.Text() + ComboBox4.Text() + cbAddr.Text();
  FPreviousLink = {ComboBox2.ItemIndex(), ComboBox3.ItemIndex(), ComboBox4.ItemIndex(),
                   cbAddr.ItemIndex()};
  ComboBox2.SetItemIndex(0);
  ComboBox2Click();
  SelectComboItem(ComboBox3, "38400");
  ComboBox3Click();
  ComboBox4.SetItemIndex(0);
  ComboBox4Click();
  SelectComboItem(cbAddr, "1");
  cbAddrClick();
  FFactoryLinkSwitched =
      before != ComboBox2.Text() + ComboBox3.Text() + ComboBox4.Text() + cbAddr.Text();
}

void TForm1::SetProgramLink(const std::array<int, 4>& items) {
  ComboBox2.SetItemIndex(items[0]);
  ComboBox2Click();
  ComboBox3.SetItemIndex(items[1]);
  ComboBox3Click();
  ComboBox4.SetItemIndex(items[2]);
  ComboBox4Click();
  cbAddr.SetItemIndex(items[3]);
  cbAddrClick();
}

void TForm1::FinalizeUnansweredOnFactoryLink() {
  const std::array<int, 4> current = {ComboBox2.ItemIndex(), ComboBox3.ItemIndex(),
                                      ComboBox4.ItemIndex(), cbAddr.ItemIndex()};
  if (FFactoryLinkSwitched) {
    // The device takes its new settings only when finalized, so it may still
    // listen on its old link: finalize there once.
    FFactoryLinkSwitched = false;
    FFinalizeOnPreviousLink = true;
    const std::array<int, 4> previous = FPreviousLink;
    FPreviousLink = current;  // the factory link, for afterwards
    SetProgramLink(previous);
    Log(msg::kFinalizeOnPreviousLink);
    StartCurrentJob();
    return;
  }
  // Neither link answered: the program is left on the factory link.
  FFinalizeOnPreviousLink = false;
  SetProgramLink(FPreviousLink);
  Log(msg::kFactoryLinkNoAnswer);
  StopOperation();
}

}  // namespace vela
