#pragma once
// TForm1, the main window without a toolkit: its controls, bound to the
// engine (TVelaEngine) it owns. The buttons call the engine's operations,
// the communication boxes set its link and device settings as values, and
// the engine's events (busy, continuous reading, settings read, log lines,
// cells changed) update the controls. A front end (qt/, or a test) builds it
// with its seams, binds the controls and drives it through their events.
//
// The behaviour is split by concern over several files:
//   MainForm.cpp          creation and destruction, the engine's events
//   MainFormControls.cpp  captions, items and hints of the controls, and the
//                         communication boxes
//   Keyboard.cpp          Escape, the hidden sequence, the service view

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/Engine.h"
#include "app/HiddenKeySequence.h"
#include "app/WiringView.h"
#include "display/MeasurementPanel.h"
#include "iec101/IecOptionsDialog.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Dialogs.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/TextControls.h"
#include "ui/Toggles.h"

namespace vela {

// What the main window needs from the world around it.
struct TForm1Seams {
  TForm1Seams(Clock& clockSeam, TimerFactory& timerSeam) : clock(clockSeam), timers(timerSeam) {}

  Clock& clock;
  TimerFactory& timers;
  TSaveDialog* saveDialog = nullptr;
  TMessageBox* messageBox = nullptr;
  // The IEC options dialog; none: it is never confirmed.
  TIecOptionsDialog* iecOptionsDialog = nullptr;
  // Creates the serial port for a name; empty: a real port on the system.
  std::function<std::unique_ptr<TArkComPort>(const std::string& portName)> portFactory;
  // The drawing surface of the measurement panel; empty: drawing is dropped.
  std::function<std::unique_ptr<TCanvas>()> canvasFactory;
  // The surface of the phasor diagram, width x height; empty: drawing is dropped.
  std::function<std::unique_ptr<TCanvas>(int width, int height)> wiringCanvasFactory;
  // Creates the debug console endpoint; may raise; empty: no console.
  std::function<std::unique_ptr<TTraceTarget>()> debugOutputFactory;
  // Whether a bitmap resource exists; empty: all exist.
  std::function<bool(const std::string& name)> hasResource;
  // The port list's items, the first offered (may raise; the list is then
  // "COM1" to "COM99"); empty: the system's discovery, each port with its
  // product and device, one this user may open offered first.
  std::function<std::vector<std::string>()> enumComPorts;
  // How the RS-485 direction follows the writes on the working interface
  // (the USB service interface never drives it).
  RtsControl rs485Rts = RtsControl::Auto;
  // File version of the program, four numbers joined by points.
  std::string programVersion = "?.?.?.?";
  // GOST R 34.11-2012 digest of the program file as 64 hexadecimal digits
  // (may raise); empty: no digest.
  std::function<std::string()> programDigest;
  int screenWidth = 1024;
  int screenHeight = 768;
  // Fast exchange: an answer ends as soon as its frame is whole and valid,
  // not only after 50 ms of silence (which stays the rule for the rest).
  bool fastExchange = false;
};

class TForm1 : public TForm {
 public:
  static constexpr int kFormWidth = 800;
  static constexpr int kMinFormHeight = 600;
  // How long the front end keeps a hint shown.
  static constexpr int kHintHidePauseMs = 30000;

  explicit TForm1(TForm1Seams seams);  // FormCreate
  ~TForm1() override;                  // FormDestroy

  // Start-up stopped at the missing glyph resources: the front end must end
  // the program at once.
  bool StartupFailed() const { return FStartupFailed; }

  TVelaEngine& Engine() { return *FEngine; }
  const TVelaEngine& Engine() const { return *FEngine; }

  // --- Window events ---
  void FormKeyDown(uint16_t key, TShiftState shift);
  void FormKeyPress(char key);
  // Keeps a proposed size at least the design size; the resize is always allowed.
  bool FormCanResize(int& newWidth, int& newHeight) const;

  // --- Operation buttons: each calls the engine ---
  void Button4Click() { FEngine->ReadOnce(); }
  void Button5Click() { FEngine->ToggleContinuousReading(); }  // read continuously / stop
  void Button1Click() { FEngine->SyncClock(); }                // set the device clock
  void Button7Click() { FEngine->ReadSettings(); }
  void Button3Click() {  // the device boxes are what is written
    TakeDeviceSettings();
    FEngine->WriteSettings();
  }
  void Button8Click();  // asks first
  void btnVerifyClick() { FEngine->IdentificationReport(); }
  void btnWiringClick() { FWiringView->Open(); }
  void BitBtn1Click();  // recording on/off
  void cbComPortClick();
  void cbInterfaceTypeClick();
  void ComboBox2Click();  // program-side protocol
  void ComboBox3Click();  // program-side speed
  void ComboBox4Click();  // program-side frame
  void cbAddrClick();
  void cbProtocolTypeClick();  // device-side protocol
  // The IEC options dialog from now on (a front end running unattended);
  // returns the one used so far.
  TIecOptionsDialog* SetIecOptionsDialog(TIecOptionsDialog* dialog) {
    return FEngine->SetIecOptionsDialog(dialog);
  }
  // The device's IEC options: read settings fills them, write settings and
  // the factory defaults write them, the options dialog edits them.
  TIecDeviceOptions& IecDeviceOptions() { return FEngine->IecDeviceOptions(); }
  const TIecDeviceOptions& IecDeviceOptions() const { return FEngine->IecDeviceOptions(); }
  // Serial devices were added or removed: list the ports again and keep the
  // one shown selected when it is still there. Other event codes are ignored.
  static constexpr uint32_t kDeviceArrived = 0x8000;
  static constexpr uint32_t kDeviceRemoved = 0x8004;
  void DeviceChange(uint32_t eventCode);
  // The operator's choice of a port by its name ("COM5"), whatever its item
  // says beside it; false when it is not listed.
  bool ChoosePort(const std::string& portName);
  // Escape during an operation.
  void CancelOperation() { FEngine->CancelOperation(); }

  // The handler wrapped so that its exceptions reach the engine's exception
  // handler, as the application-wide hook does; the front end binds events
  // through it too.
  std::function<void()> Guarded(void (TForm1::*handler)());
  void Log(const std::string& text) { FEngine->Log(text); }

  // --- Controls ---
  TGroupBox GroupBox1{"GroupBox1"};  // program-side interface
  TGroupBox GroupBox2{"GroupBox2"};  // measured values
  TGroupBox GroupBox3{"GroupBox3"};  // "конфигурация Vela"
  TComboBox cbInterfaceType{"cbInterfaceType"};
  TComboBox cbComPort{"cbComPort"};
  TComboBox ComboBox2{"ComboBox2"};  // program-side protocol
  TComboBox ComboBox3{"ComboBox3"};  // program-side speed
  TComboBox ComboBox4{"ComboBox4"};  // program-side frame
  TComboBox cbAddr{"cbAddr"};        // program-side address
  TButton Button4{"Button4"};
  TButton Button5{"Button5"};
  TButton Button1{"Button1"};
  TEdit edTime{"edTime"};
  TButton Button7{"Button7"};
  TButton Button3{"Button3"};
  TButton Button8{"Button8"};
  TButton btnVerify{"btnVerify"};
  TButton btnIecCfg{"btnIecCfg"};
  TButton btnWiring{"btnWiring"};  // opens the phasor diagram
  TComboBox cbProtocolType{"cbProtocolType"};
  TComboBox cbSpeed{"cbSpeed"};
  TComboBox cbFrame{"cbFrame"};
  TComboBox cbAddress{"cbAddress"};
  TRadioButton rb3w{"rb3w"};
  TRadioButton rb4w{"rb4w"};
  TBitBtn BitBtn1{"BitBtn1"};        // recording on/off
  TComboBox ComboBox1{"ComboBox1"};  // recording rate
  TImage Image1{"Image1"};
  TMemo Memo1{"Memo1"};

  // The measurement panel drawn on Image1: the cells and the trend plot.
  std::unique_ptr<TMeasurementPanel> FPanel;
  // The phasor diagram window, following the cells.
  std::unique_ptr<TWiringView> FWiringView;
  bool FServiceView = false;
  THiddenKeySequence FKeySequence;  // FKeySequenceState: FKeySequence.Expected()

 private:
  // Start-up steps.
  bool LoadGlyphs();
  void CreatePanel();
  void BindEngine();
  void SetUpControls();
  void WireControlEvents();
  void SetUpCommunicationBoxes();
  void SetHints();
  void FillComPortList();
  // The port list's items and the one to offer first.
  struct TPortList {
    std::vector<std::string> items;
    size_t preferred = 0;
  };
  TPortList DiscoverComPorts() const;
  int PortItemIndex(const std::string& portName) const;  // -1: not listed
  void CentreOnScreen();

  // The engine's events shown on the controls.
  void EnableControls();
  void EnableWriteButton();
  void EnableIecControls();
  void ShowContinuousReading();
  void ShowProgramLink();
  void ShowDeviceSettings();
  void LogLine(const std::string& line);
  // The device boxes as the settings the engine writes.
  void TakeDeviceSettings();

  // Keyboard.
  void ApplyServiceView();

  TForm1Seams FSeams;
  std::unique_ptr<TVelaEngine> FEngine;
  bool FStartupFailed = false;
  bool FShowingDeviceSettings = false;  // the device boxes are set from the engine
};

}  // namespace vela
