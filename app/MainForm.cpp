#include "app/MainForm.h"

#include "app/Messages.h"
#include "app/NullCanvas.h"
#include "display/PhasorDiagram.h"
#include "serial/PortDiscovery.h"

namespace vela {
namespace {

// Colour of the group box around the measurement panel (the window face).
constexpr TColor kGroupBoxColor = 0xF0F0F0;

void EnableAll(std::initializer_list<TControl*> controls, bool enabled) {
  for (TControl* c : controls) c->SetEnabled(enabled);
}

TEngineSeams EngineSeamsOf(const TForm1Seams& seams) {
  TEngineSeams engine(seams.clock, seams.timers);
  engine.iecOptionsDialog = seams.iecOptionsDialog;
  engine.portFactory = seams.portFactory;
  engine.debugOutputFactory = seams.debugOutputFactory;
  engine.rs485Rts = seams.rs485Rts;
  engine.programVersion = seams.programVersion;
  engine.programDigest = seams.programDigest;
  engine.fastExchange = seams.fastExchange;
  engine.rideThroughPortLoss = true;  // the operator need not start reading again
  if (seams.enumComPorts) {
    engine.presentPorts = [list = seams.enumComPorts] {
      std::vector<std::string> names;
      for (const std::string& item : list()) names.push_back(PortNameOfItem(item));
      return names;
    };
  }
  return engine;
}

}  // namespace

TForm1::TForm1(TForm1Seams seams)
    : TForm("Form1"),
      FSeams(std::move(seams)),
      FEngine(std::make_unique<TVelaEngine>(EngineSeamsOf(FSeams))) {
  SetCaption(std::string(msg::kDesignCaption) + " (версия " + FSeams.programVersion + ")");
  SetWidth(798);
  SetHeight(598);
  SetFont({"Arial", 12});  // 16 pixels
  SetKeyPreview(true);
  SetUpControls();
  // What the engine logged while it was made (no debug console) is shown too.
  for (const std::string& line : FEngine->ActivityLog().Lines()) LogLine(line);
  if (!LoadGlyphs()) {
    FStartupFailed = true;
    if (FSeams.messageBox) FSeams.messageBox->Show(Caption(), msg::kMissingResources);
    return;
  }
  CreatePanel();
  BindEngine();
  FillComPortList();
  SetUpCommunicationBoxes();
  SetHints();
  CentreOnScreen();
  FPanel->Redraw();
}

TForm1::~TForm1() {
  // The engine goes first (its port first of all), so no event of it
  // reaches a half-destroyed window; then the panel it drew on.
  FEngine.reset();
  FWiringView.reset();
  FPanel.reset();
}

bool TForm1::LoadGlyphs() {
  for (const char* name : {"CHK1", "CHK0"}) {
    if (FSeams.hasResource && !FSeams.hasResource(name)) return false;
    BitBtn1.SetGlyph(name);
  }
  return true;
}

void TForm1::CreatePanel() {
  Image1.SetCanvas(FSeams.canvasFactory ? FSeams.canvasFactory() : std::make_unique<TNullCanvas>());
  FPanel = std::make_unique<TMeasurementPanel>(*FEngine->FCells, *Image1.Canvas(), kGroupBoxColor);
  FPanel->OnPainted = [this] { Image1.Invalidate(); };
  Image1.OnMouseMove = [this](int x, int y) { FPanel->MouseMove(x, y); };
  Image1.OnClick = [this] { FPanel->Click(); };
  Image1.OnRepaint = [this] { FPanel->Repaint(); };
  FWiringView = std::make_unique<TWiringView>(
      *FEngine->FCells, FSeams.wiringCanvasFactory
                            ? FSeams.wiringCanvasFactory(kPhasorPictureWidth, kPhasorPictureHeight)
                            : std::make_unique<TNullCanvas>());
}

void TForm1::BindEngine() {
  TVelaEngine& e = *FEngine;
  e.ActivityLog().OnLine = [this](const std::string& line) { LogLine(line); };
  e.ActivityLog().OnCleared = [this] { Memo1.Clear(); };
  e.OnBusyChanged = [this] { EnableControls(); };
  e.OnIecModeChanged = [this] { EnableIecControls(); };
  e.OnContinuousChanged = [this] { ShowContinuousReading(); };
  e.OnProgramLinkChanged = [this] { ShowProgramLink(); };
  e.OnDeviceSettingsChanged = [this] { ShowDeviceSettings(); };
  e.OnSettingsKnownChanged = [this] { EnableWriteButton(); };
  e.OnSerialChanged = [this] { GroupBox2.SetCaption(FEngine->SerialCaption()); };
  e.OnDeviceClockText = [this](const std::string& text) { edTime.SetText(text); };
  e.OnCellsChanged = [this] {
    FPanel->Redraw();
    FWiringView->Refresh();
  };
  e.OnRecordingChanged = [this] { BitBtn1.SetGlyph(FEngine->Recording() ? "CHK1" : "CHK0"); };
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
      FEngine->HandleException(this, e);
    }
  };
}

bool TForm1::FormCanResize(int& newWidth, int& newHeight) const {
  if (newWidth < kFormWidth) newWidth = kFormWidth;
  if (newHeight < kMinFormHeight) newHeight = kMinFormHeight;
  return true;
}

// --- Factory settings: the operator confirms what changes ---

void TForm1::Button8Click() {
  const TDeviceSettingsModel& now = FEngine->DeviceSettings();
  const bool read = !FEngine->SerialCaption().empty();  // from the device shown
  if (FSeams.messageBox &&
      !FSeams.messageBox->Ask(Caption(), FactoryChangeText(read ? &now : nullptr) +
                                             "\r\nЗаписать в прибор заводские установки?")) {
    return;
  }
  FEngine->WriteFactorySettings();
}

// --- Recording: the file comes from the save dialog ---

void TForm1::BitBtn1Click() {
  if (FEngine->Recording()) {
    FEngine->StopRecording();
  } else if (FSeams.saveDialog) {
    std::string fileName;
    if (FSeams.saveDialog->Execute("запись результатов в файл", "CSV files|*.csv|ALL files|*.*",
                                   "*.csv", fileName)) {
      FEngine->StartRecording(fileName);
    }
  }
  BitBtn1.SetGlyph(FEngine->Recording() ? "CHK1" : "CHK0");
}

// --- The engine's events on the controls ---

void TForm1::LogLine(const std::string& line) {
  Memo1.Add(line);
  const int excess = static_cast<int>(Memo1.Lines().size()) - TActivityLog::kMaxLines;
  if (excess > 0) Memo1.RemoveFirst(excess);
}

void TForm1::EnableControls() {
  const bool enable = !FEngine->Busy();
  EnableAll({&Button1, &Button4, &Button5}, enable);
  // What IEC mode disabled stays disabled while it lasts.
  EnableAll({&cbProtocolType, &cbSpeed, &cbFrame, &cbAddress, &btnIecCfg, &Button8, &btnVerify,
             &rb3w, &rb4w, &Button7},
            enable && !FEngine->InIecMode());
  EnableWriteButton();
  ComboBox2.SetEnabled(enable && cbInterfaceType.ItemIndex() == 1);
}

void TForm1::EnableIecControls() {
  const bool enable = !FEngine->InIecMode() && !FEngine->Busy();
  EnableAll({&rb3w, &rb4w, &Button7, &Button8, &btnVerify, &cbProtocolType, &cbSpeed, &cbFrame,
             &cbAddress},
            enable);
  EnableWriteButton();
  // The device's IEC options are written over the service interface only.
  btnIecCfg.SetEnabled(enable && cbProtocolType.ItemIndex() == 2 &&
                       cbInterfaceType.ItemIndex() == 0);
}

void TForm1::EnableWriteButton() {
  // Only settings read from the device connected may be written back.
  Button3.SetEnabled(!FEngine->Busy() && !FEngine->InIecMode() && FEngine->DeviceSettingsKnown());
}

void TForm1::ShowContinuousReading() {
  if (FEngine->ContinuousRunning()) {
    Button5.SetEnabled(true);
    Button5.SetCaption(msg::kStopReading);
  } else {
    Button5.SetCaption(msg::kReadContinuously);
  }
}

}  // namespace vela
