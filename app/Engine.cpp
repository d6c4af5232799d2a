#include "app/Engine.h"

#include "app/IecWorkflows.h"
#include "app/Messages.h"
#include "common/ArkCmnUtils.h"

namespace vela {

TVelaEngine::TVelaEngine(TEngineSeams seams)
    : FSeams(std::move(seams)), FActivityLog([this](const std::string& text) {
        if (FDebugOutput) FDebugOutput->Send(text);
      }) {
  ResetState();
  Timer1 = FSeams.timers.CreateTimer();
  Timer1->SetEnabled(false);
  Timer1->SetInterval(500);
  Timer1->OnTimer = Guarded(&TVelaEngine::Timer1Timer);
  CreateDebugOutput();
  WriteJobPrefix();
  CreatePort();
  FPacker = std::make_unique<TModbusPacker>(1);
  FPacker->RtuMode = true;
  CreateBlocks();
  CreateDisplay();
  for (TModbusParams* block : std::initializer_list<TModbusParams*>{
           FLinkPrm.get(), FLinkPrm2.get(), FLinkPrm3.get(), FLinkPrm4.get(), FMainPrm.get()}) {
    block->Timeout = 500;
  }
  // The service interface's link until a front end says otherwise.
  SetInterface(false, FLink);
}

TVelaEngine::~TVelaEngine() {
  // Free in the stated order, the debug output last; the port first, so no
  // event reaches a half-destroyed engine. The IEC master goes before the
  // port it is wired to.
  FOutageTimer.reset();
  FLateAnswerTimer.reset();
  FIec.reset();
  FPort.reset();
  FPacker.reset();
  FMainPrm.reset();
  FLinkPrm.reset();
  FLinkPrm2.reset();
  FLinkPrm3.reset();
  FLinkPrm4.reset();
  FTimePrm.reset();
  FFinalizePrm.reset();
  FValuesF.reset();
  FValues4Wire.reset();
  FValues3Wire.reset();
  FValues4Cos.reset();
  FValues3Cos.reset();
  FDevInfo.reset();
  FIecTime.reset();
  FRecorder.reset();
  FPresenter.reset();
  FCells.reset();
  Timer1.reset();
  FDebugOutput.reset();
}

void TVelaEngine::ResetState() {
  FJobs.fill(0);
  FJobIndex = -1;
  FPrefixLength = kPrefixLength;
  FNetworkTypeKnown = false;
  FCosSupport = 0;
  FSingleShot = FConfigOperation = FVerboseStatus = false;
  FClockSyncPending = FSkipOnNextTick = FNoAnswerSeen = false;
  FBusy = FVerifyMode = FServiceView = FContinuousRunning = false;
  FPendingOldFirmware.clear();
  FPendingSpeedNote.clear();
  FPendingFormatErrors.clear();
}

void TVelaEngine::WriteJobPrefix() {
  FJobs.fill(0);
  std::copy(kJobPrefix.begin(), kJobPrefix.end(), FJobs.begin());
  FPrefixLength = kPrefixLength;
  FJobIndex = -1;
}

void TVelaEngine::CreateDebugOutput() {
  try {
    if (FSeams.debugOutputFactory) FDebugOutput = FSeams.debugOutputFactory();
    if (FDebugOutput) {
      if (const std::string note = FDebugOutput->StartNote(); !note.empty()) Trace(note);
      return;
    }
  } catch (...) {
  }
  if (!FSeams.debugOutputFactory) return;
  Log(msg::kNoDebugConsole1);
  Log(msg::kNoDebugConsole2);
}

void TVelaEngine::CreatePort() {
  FPort = FSeams.portFactory ? FSeams.portFactory("COM1") : std::make_unique<TArkComPort>("COM1");
  ConnectPortEvents();
}

void TVelaEngine::ConnectPortEvents() {
  FPort->OnRead = [this](TArkComPort* sender, const Octets& data) { PortRead(sender, data); };
  FPort->OnWrite = [this](TArkComPort* sender, const Octets& data) { PortWrite(sender, data); };
  FPort->OnError = [this](TArkComPort* sender, uint32_t errors, const TComStat& status) {
    PortError(sender, errors, status);
  };
  FPort->OnException = [this](TArkComPort* sender, const TArkException& e) {
    HandleException(sender, e);
  };
}

void TVelaEngine::CreateBlocks() {
  FMainPrm = std::make_unique<TModbusParamsMain>();
  FLinkPrm = std::make_unique<TModbusParamsLink>();
  FLinkPrm2 = std::make_unique<TModbusParamsLink2>();
  FLinkPrm3 = std::make_unique<TModbusParamsLink3>();
  FLinkPrm4 = std::make_unique<TModbusParamsLink4>();
  FTimePrm = std::make_unique<TModbusParamsTime>();
  FFinalizePrm = std::make_unique<TModbusParamsFinalize>();
  FValuesF = std::make_unique<TModbusValuesF>();
  FValues4Wire = std::make_unique<TModbusValues4Wire>();
  FValues3Wire = std::make_unique<TModbusValues3Wire>();
  FValues3Cos = std::make_unique<TModbusValues3Cos>();
  FValues4Cos = std::make_unique<TModbusValues4Cos>();
  FDevInfo = std::make_unique<TMbusDevInfo>();
  FIecTime = std::make_unique<TArkIecTypeTime>();
}

void TVelaEngine::CreateDisplay() {
  FCells = std::make_unique<TMeasurementCells>();
  FPresenter = std::make_unique<TMeasurementPresenter>(*FCells, FSeams.clock);
  FPresenter->OnDeviceClockText = [this](const std::string& text) {
    if (OnDeviceClockText) OnDeviceClockText(text);
  };
  FRecorder = std::make_unique<TCsvRecorder>(*FCells, FSeams.clock);
  FRecorder->OnNotice = [this](const std::string& text) { Log(text); };
}

std::function<void()> TVelaEngine::Guarded(void (TVelaEngine::*handler)()) {
  // What the toolkit's unhandled-exception hook does: every failure of an
  // event handler reaches the exception handler instead of ending the program.
  return [this, handler] {
    try {
      (this->*handler)();
    } catch (const std::exception& e) {
      HandleException(this, e);
    }
  };
}

void TVelaEngine::ReportOutsideJob(const std::exception& e) {
  // The job left current by the last operation, or the one running now, has
  // nothing to do with this failure: its exception rule must not apply.
  Trace(std::string("Exc: ") + e.what());
  Log(e.what());
}

// --- State events ---

void TVelaEngine::SetBusy(bool busy) {
  FBusy = busy;
  if (OnBusyChanged) OnBusyChanged();
}

void TVelaEngine::SetContinuousRunning(bool running) {
  FContinuousRunning = running;
  if (OnContinuousChanged) OnContinuousChanged();
}

void TVelaEngine::SetSerialCaption(std::optional<uint32_t> serial) {
  FShownSerial = serial;
  if (OnSerialChanged) OnSerialChanged();
}

std::string TVelaEngine::SerialCaption() const {
  if (!FShownSerial) return {};
  char caption[64];
  std::snprintf(caption, sizeof caption, "серийный номер %.6u", *FShownSerial);
  return caption;
}

void TVelaEngine::CellsChanged() {
  if (OnCellsChanged) OnCellsChanged();
}

void TVelaEngine::DeviceSettingsChanged() {
  if (OnDeviceSettingsChanged) OnDeviceSettingsChanged();
}

// --- Port events ---

void TVelaEngine::ReportExchange(TExchangeEventKind kind, size_t octets, int exceptionCode,
                                 bool repeat) {
  const TExchangeEvent event{kind, FSeams.clock.MonotonicMs(), octets, exceptionCode, repeat};
  FExchangeStats.Count(event);
  if (OnExchange) OnExchange(event);
}

void TVelaEngine::PortWrite(TArkComPort*, const Octets& data) {
  Trace(" Wr: " + BytesToHex(data));
  // In IEC mode the link master reports its own transmissions.
  if (!FIec) {
    ReportExchange(TExchangeEventKind::RequestSent, data.size(), 0, FRepeatPending);
    FRepeatPending = false;
  }
}

void TVelaEngine::PortError(TArkComPort*, uint32_t errors, const TComStat& status) {
  Trace("Err: " + std::to_string(errors) + " [" + BytesToHex(&status, sizeof status) + "]");
  if (errors & (CE_RXPARITY | CE_FRAME)) FPendingFormatErrors = msg::kFormatErrors;
  if (FRecord.Active()) FRecord.LineError(CurrentJob());
  ReportExchange(TExchangeEventKind::LineError);
}

}  // namespace vela
