#include "app/MainForm.h"

#include "app/IecWorkflows.h"
#include "app/Messages.h"
#include "app/NullCanvas.h"
#include "common/ArkCmnUtils.h"

namespace vela {
namespace {

// Colour of the group box around the measurement panel (the window face).
constexpr TColor kGroupBoxColor = 0xF0F0F0;

}  // namespace

TForm1::TForm1(TForm1Seams seams)
    : TForm("Form1"),
      FSeams(std::move(seams)),
      FActivityLog(Memo1, [this](const std::string& text) {
        if (FDebugOutput) FDebugOutput->Send(text);
      }) {
  ResetState();
  SetCaption(std::string(msg::kDesignCaption) + " (версия " + FSeams.programVersion + ")");
  SetWidth(798);
  SetHeight(598);
  SetFont({"Arial", 12});  // 16 pixels
  SetKeyPreview(true);
  Timer1 = FSeams.timers.CreateTimer();
  Timer1->SetEnabled(false);
  Timer1->SetInterval(500);
  Timer1->OnTimer = Guarded(&TForm1::Timer1Timer);
  SetUpControls();
  CreateDebugOutput();
  if (!LoadGlyphs()) {
    FStartupFailed = true;
    if (FSeams.messageBox) FSeams.messageBox->Show(Caption(), msg::kMissingResources);
    return;
  }
  FJobIndex = -1;
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
  FillComPortList();
  SetUpCommunicationBoxes();
  SetHints();
  CentreOnScreen();
  FPanel->Redraw();
}

TForm1::~TForm1() {
  // Free in the stated order, the debug output last; the port first, so no
  // event reaches a half-destroyed window. The IEC master goes before the
  // port it is wired to.
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
  FPanel.reset();
  FPresenter.reset();
  FCells.reset();
  Timer1.reset();
  FDebugOutput.reset();
}

void TForm1::ResetState() {
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
  FKeySequence = THiddenKeySequence();
}

void TForm1::WriteJobPrefix() {
  FJobs.fill(0);
  std::copy(kJobPrefix.begin(), kJobPrefix.end(), FJobs.begin());
  FPrefixLength = kPrefixLength;
}

void TForm1::CreateDebugOutput() {
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

bool TForm1::LoadGlyphs() {
  for (const char* name : {"CHK1", "CHK0"}) {
    if (FSeams.hasResource && !FSeams.hasResource(name)) return false;
    BitBtn1.SetGlyph(name);
  }
  return true;
}

void TForm1::CreatePort() {
  FPort = FSeams.portFactory ? FSeams.portFactory("COM1") : std::make_unique<TArkComPort>("COM1");
  ConnectPortEvents();
}

void TForm1::ConnectPortEvents() {
  FPort->OnRead = [this](TArkComPort* sender, const Octets& data) { PortRead(sender, data); };
  FPort->OnWrite = [this](TArkComPort* sender, const Octets& data) { PortWrite(sender, data); };
  FPort->OnError = [this](TArkComPort* sender, uint32_t errors, const TComStat& status) {
    PortError(sender, errors, status);
  };
  FPort->OnException = [this](TArkComPort* sender, const TArkException& e) {
    HandleException(sender, e);
  };
}

void TForm1::CreateBlocks() {
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

void TForm1::CreateDisplay() {
  Image1.SetCanvas(FSeams.canvasFactory ? FSeams.canvasFactory() : std::make_unique<TNullCanvas>());
  FCells = std::make_unique<TMeasurementCells>();
  FPresenter = std::make_unique<TMeasurementPresenter>(*FCells, FSeams.clock);
  FPresenter->OnDeviceClockText = [this](const std::string& text) { edTime.SetText(text); };
  FPanel = std::make_unique<TMeasurementPanel>(*FCells, *Image1.Canvas(), kGroupBoxColor);
  FPanel->OnPainted = [this] { Image1.Invalidate(); };
  FRecorder = std::make_unique<TCsvRecorder>(*FCells, FSeams.clock);
  FRecorder->OnNotice = [this](const std::string& text) { Log(text); };
  Image1.OnMouseMove = [this](int x, int y) { FPanel->MouseMove(x, y); };
  Image1.OnClick = [this] { FPanel->Click(); };
}

void TForm1::CentreOnScreen() {
  SetLeft((FSeams.screenWidth - Width()) / 2);
  SetTop((FSeams.screenHeight - Height()) / 2);
}

std::function<void()> TForm1::Guarded(void (TForm1::*handler)()) {
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

bool TForm1::FormCanResize(int& newWidth, int& newHeight) const {
  newWidth = kFormWidth;
  if (newHeight < kMinFormHeight) newHeight = kMinFormHeight;
  return true;
}

// --- Port events ---

void TForm1::ReportExchange(TExchangeEventKind kind, size_t octets, int exceptionCode) {
  const TExchangeEvent event{kind, FSeams.clock.MonotonicMs(), octets, exceptionCode};
  FExchangeStats.Count(event);
  if (OnExchange) OnExchange(event);
}

void TForm1::PortWrite(TArkComPort*, const Octets& data) {
  Trace(" Wr: " + BytesToHex(data));
  // In IEC mode the link master reports its own transmissions.
  if (!FIec) ReportExchange(TExchangeEventKind::RequestSent, data.size());
}

void TForm1::PortError(TArkComPort*, uint32_t errors, const TComStat& status) {
  Trace("Err: " + std::to_string(errors) + " [" + BytesToHex(&status, sizeof status) + "]");
  if (errors & (CE_RXPARITY | CE_FRAME)) FPendingFormatErrors = msg::kFormatErrors;
  if (FRecord.Active()) FRecord.LineError(CurrentJob());
  ReportExchange(TExchangeEventKind::LineError);
}

}  // namespace vela
