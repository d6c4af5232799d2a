#pragma once
// TForm1, the main window's logic without a toolkit: it owns the port, the
// Modbus frame builder, the register blocks, the display and the debug
// output, runs the operations as job lists one request at a time, and
// reports to the activity log. A front end (qt/, or a test) builds it with
// its seams, binds the controls and drives it through their events.
//
// The behaviour is split by concern over several files:
//   MainForm.cpp          creation and destruction, port events
//   MainFormControls.cpp  captions, items and hints of the controls
//   Sequencer.cpp         job stepping, time-out rules, stopping
//   JobCatalogue.cpp      job completions and the exception handler
//   Operations.cpp        the operation buttons
//   Keyboard.cpp          Escape, the hidden sequence, the service view
//   Recording.cpp         CSV recording
//   IecMode.cpp           entering and leaving IEC 60870-5-101 mode
//   IecWorkflows.cpp      the operations over IEC 60870-5-101 (TIecWorkflows)

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/ActivityLog.h"
#include "app/ExchangeStats.h"
#include "app/HiddenKeySequence.h"
#include "app/JobCodes.h"
#include "app/OperationOutcome.h"
#include "app/OperationRecord.h"
#include "common/Clock.h"
#include "common/ExchangeEvent.h"
#include "common/Timer.h"
#include "display/CsvRecorder.h"
#include "display/MeasurementCells.h"
#include "display/MeasurementPanel.h"
#include "display/MeasurementPresenter.h"
#include "iec101/IecDeviceOptions.h"
#include "iec101/IecOptionsDialog.h"
#include "iec101/IecTypes.h"
#include "modbus/ModbusPacker.h"
#include "modbus/ModbusParamBlocks.h"
#include "modbus/ModbusValueBlocks.h"
#include "serial/ArkComPort.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Dialogs.h"
#include "ui/Form.h"
#include "ui/Image.h"
#include "ui/TextControls.h"
#include "ui/Toggles.h"

namespace vela {

class TIecWorkflows;

// Where trace messages go: the debug console endpoint.
class TTraceTarget {
 public:
  virtual ~TTraceTarget() = default;
  // One message; false when it was not sent.
  virtual bool Send(const std::string& text) = 0;
  // What the target has to say at start (where its trace goes); may be empty.
  virtual std::string StartNote() const { return {}; }
};

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
  // Creates the debug console endpoint; may raise; empty: no console.
  std::function<std::unique_ptr<TTraceTarget>()> debugOutputFactory;
  // Whether a bitmap resource exists; empty: all exist.
  std::function<bool(const std::string& name)> hasResource;
  // The serial ports present (may raise; the list is then "COM1" to
  // "COM99"); empty: the system's discovery.
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

  // --- Window events ---
  void FormKeyDown(uint16_t key, TShiftState shift);
  void FormKeyPress(char key);
  // Adjusts a proposed size; the resize is always allowed.
  bool FormCanResize(int& newWidth, int& newHeight) const;

  // --- Operation buttons ---
  void Button4Click();    // read once
  void Button5Click();    // read continuously / stop
  void Button1Click();    // set the device clock
  void Button7Click();    // read settings
  void Button3Click();    // write settings
  void Button8Click();    // write factory defaults
  void btnVerifyClick();  // identification report
  // Looking for devices: the identification read alone, single-shot, its
  // answer awaited timeoutMs (0: the block's own time-out). The result is
  // in FDevInfoRead and FDevInfo. False when the port did not open.
  bool ProbeIdentification(int timeoutMs);
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
    return std::exchange(FSeams.iecOptionsDialog, dialog);
  }
  // The device's IEC options: read settings fills them, write settings and
  // the factory defaults write them, the options dialog edits them.
  TIecDeviceOptions& IecDeviceOptions() { return FIecDeviceOptions; }
  const TIecDeviceOptions& IecDeviceOptions() const { return FIecDeviceOptions; }
  // Serial devices were added or removed: list the ports again and keep the
  // one shown selected when it is still there. Other event codes are ignored.
  static constexpr uint32_t kDeviceArrived = 0x8000;
  static constexpr uint32_t kDeviceRemoved = 0x8004;
  void DeviceChange(uint32_t eventCode);

  // Called after each completed reading, where the recording takes its line
  // (the front end prints it for scripts); may be empty.
  std::function<void()> OnReadingComplete;
  // Called once at the end of every operation, with how it ended; may be empty.
  std::function<void(const TOperationOutcome&)> OnOperationOutcome;
  // Called for every exchange on the line, after the counters took it; may be empty.
  std::function<void(const TExchangeEvent&)> OnExchange;
  // The outcome of the last operation that ended.
  const TOperationOutcome& LastOutcome() const { return FLastOutcome; }
  // One exchange event: counted, then passed on.
  void ReportExchange(TExchangeEventKind kind, size_t octets = 0, int exceptionCode = 0);

  // --- Front ends without controls (the command line) ---
  // The operations as their buttons start them (an operation refused in the
  // present mode ends with a refused outcome).
  void Start(TOperationKind kind);
  // Continuous reading ends as its button's second press ends it.
  void StopContinuousReading();
  bool ContinuousRunning() const { return FContinuousRunning; }
  bool Busy() const { return FBusy; }
  // The program side of the link: the port and how the program talks.
  bool ChoosePort(const std::string& portName);  // false: not in the list
  std::string PortShown() const;
  // rs485 false: the service interface, whose link is fixed.
  void ChooseInterface(bool rs485);
  void ChooseProgramProtocol(int protocol);           // 0 RTU, 1 ASCII, 2 IEC 60870-5-101
  bool ChooseProgramSpeed(const std::string& speed);  // false: not offered
  void ChooseProgramFrame(int frame);                 // 0 8E1/7E1, 1 8O1/7O1, 2 8N2/7N2
  void ChooseProgramAddress(int address);             // 1..247
  struct TLinkShown {
    std::string protocol, speed, frame, address;
  };
  TLinkShown ProgramLinkShown() const;
  // The device side: the settings read from the device or to be written.
  struct TDeviceSettingsShown {
    int protocol = -1;  // index into DeviceProtocols()
    std::string protocolText, speed, frameText;
    int frame = -1;
    int address = 0;  // 0: none chosen
    bool threeWire = false;
    std::string network;  // the network type's caption
  };
  TDeviceSettingsShown DeviceSettingsShown() const;
  const std::vector<std::string>& DeviceProtocols() const;
  const std::vector<std::string>& DeviceSpeeds() const;
  void ChooseDeviceProtocol(int protocol);
  bool ChooseDeviceSpeed(const std::string& speed);
  bool ChooseDeviceFrame(const std::string& frame);
  void ChooseDeviceFrame(int frame);
  void ChooseDeviceAddress(int address);
  void ChooseNetwork(bool threeWire);
  // "серийный номер …" above the values; empty when no device is shown.
  std::string SerialShown() const;
  std::string DeviceClockShown() const;
  // Recording to the file the save dialog names.
  bool Recording() const;
  void ToggleRecording();

  // --- Sequencer ---
  void Advance();
  void StartCurrentJob();
  void StopOperation();
  void RetryOrStop();
  void CancelOperation();
  void Timer1Timer();
  uint8_t CurrentJob() const;

  // --- Port events and the exception handler ---
  void PortRead(TArkComPort* sender, const Octets& data);
  void PortWrite(TArkComPort* sender, const Octets& data);
  void PortError(TArkComPort* sender, uint32_t errors, const TComStat& status);
  void HandleException(void* sender, const std::exception& e);
  // The handler wrapped so that its exceptions reach HandleException, as the
  // application-wide hook does; the front end binds events through it too.
  std::function<void()> Guarded(void (TForm1::*handler)());

  // --- Activity log and trace ---
  void Log(const std::string& text) { FActivityLog.Log(text); }
  void LogStatus(const std::string& text) {
    if (FVerboseStatus) Log(text);
  }
  void Trace(const std::string& text) const { FActivityLog.Trace(text); }
  void TraceJob(const std::string& text) const { FActivityLog.TraceJob(text); }

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

  // --- Owned objects ---
  std::unique_ptr<TArkComPort> FPort;
  std::unique_ptr<TModbusPacker> FPacker;
  std::unique_ptr<TModbusParamsMain> FMainPrm;
  std::unique_ptr<TModbusParamsLink> FLinkPrm;
  std::unique_ptr<TModbusParamsLink2> FLinkPrm2;
  std::unique_ptr<TModbusParamsLink3> FLinkPrm3;
  std::unique_ptr<TModbusParamsLink4> FLinkPrm4;
  std::unique_ptr<TModbusParamsTime> FTimePrm;
  std::unique_ptr<TModbusParamsFinalize> FFinalizePrm;
  std::unique_ptr<TModbusValuesF> FValuesF;
  std::unique_ptr<TModbusValues4Wire> FValues4Wire;
  std::unique_ptr<TModbusValues3Wire> FValues3Wire;
  std::unique_ptr<TModbusValues3Cos> FValues3Cos;
  std::unique_ptr<TModbusValues4Cos> FValues4Cos;
  std::unique_ptr<TMbusDevInfo> FDevInfo;
  std::unique_ptr<TArkIecTypeTime> FIecTime;
  std::unique_ptr<TMeasurementCells> FCells;  // the 28 value cells
  std::unique_ptr<TMeasurementPresenter> FPresenter;
  std::unique_ptr<TMeasurementPanel> FPanel;
  std::unique_ptr<TCsvRecorder> FRecorder;
  std::unique_ptr<TTraceTarget> FDebugOutput;
  std::unique_ptr<Timer> Timer1;
  // Present exactly in IEC mode: the IEC operations with their link master.
  std::unique_ptr<TIecWorkflows> FIec;

  // --- State ---
  TIecDeviceOptions FIecDeviceOptions;
  TJobList FJobs{};
  int32_t FJobIndex = -1;
  int32_t FPrefixLength = kPrefixLength;
  bool FNetworkTypeKnown = false;
  int32_t FCosSupport = 0;  // 0 not known, 1 not supported, 2 supported
  bool FSingleShot = false;
  bool FConfigOperation = false;
  bool FVerboseStatus = false;
  bool FClockSyncPending = false;
  bool FSkipOnNextTick = false;
  bool FNoAnswerSeen = false;
  bool FBusy = false;
  bool FVerifyMode = false;
  std::string FPendingOldFirmware;
  std::string FPendingSpeedNote;
  std::string FPendingFormatErrors;
  bool FServiceView = false;
  THiddenKeySequence FKeySequence;  // FKeySequenceState: FKeySequence.Expected()
  bool FContinuousRunning = false;  // the continuous-read button's running mark
  // The port and address the link block was last read from ("" when it was
  // not read since the port was chosen): a write sends back what the device
  // holds in the words the controls do not set, so it reads them first when
  // they come from elsewhere.
  std::string FLinkPrmSource;
  bool FWriteOperation = false;       // settings or factory defaults are written
  bool FDevInfoRead = false;          // the identification block was read in this operation
  bool FFactoryLinkSwitched = false;  // the factory write changed the program's own link
  // FinalizePrm went unanswered on the factory link and is now tried on the
  // link the device had before the write (its new settings wait for it).
  bool FFinalizeOnPreviousLink = false;
  std::array<int, 4> FPreviousLink{};  // ComboBox2, ComboBox3, ComboBox4, cbAddr
  bool FCompletionFailed = false;      // the exception on its way comes from a completion
  int32_t FProbeTimeoutMs = 0;         // the identification probe's own time-out; 0: none
  bool FStartupFailed = false;
  // The serial number in the measured-values caption, when one is shown.
  std::optional<uint32_t> FShownSerial;
  // The last operation ended because the port itself failed.
  bool FPortFailed = false;
  // The exchanges of the last read or continuous reading.
  TExchangeStats FExchangeStats;
  // What the running operation has done so far.
  TOperationRecord FRecord;

  Clock& GetClock() const { return FSeams.clock; }
  TActivityLog& ActivityLog() { return FActivityLog; }

 private:
  // Start-up steps.
  void ResetState();
  void WriteJobPrefix();
  void CreateDebugOutput();
  bool LoadGlyphs();
  void CreatePort();
  void CreateBlocks();
  void CreateDisplay();
  void SetUpControls();
  void WireControlEvents();
  void SetUpCommunicationBoxes();
  void SetHints();
  void FillComPortList();
  std::vector<std::string> DiscoverComPorts() const;
  void CentreOnScreen();
  void ConnectPortEvents();

  // Sequencer helpers.
  bool SendCurrentRequest(uint8_t job);
  void RunTimeoutRule(uint8_t job);
  void ClearOperationFlags();
  bool OpenPortForOperation();
  bool StartOperation(const std::vector<uint8_t>& jobs, bool withPrefix);
  void WriteJobs(const std::vector<uint8_t>& jobs);
  void RunLocalJob(uint8_t job);
  void ClockSyncTick();
  // The running operation ends: its outcome is filled with what the device
  // reported and handed to OnOperationOutcome. Nothing when none runs.
  void EndOutcome();
  void Refuse(TOperationKind kind, TOutcomeReason reason);

  // Job catalogue.
  void CompleteJob(uint8_t job, const Octets& data);
  void CompleteReadJob(uint8_t job, const Octets& data);
  void ApplyNetworkType();
  void LinkSettingsToControls();
  void CompleteDevInfo();
  // Nothing of the device last shown stays on screen as current: the cells,
  // the clock field and the serial number; with settingsToo also the
  // device-side boxes.
  void ForgetDevice(bool settingsToo);
  void HandleJobException(uint8_t job, const std::exception& e);
  void HandleMissingLinkBlock(uint8_t job);
  void HandleRefusedRead(uint8_t job, int32_t code);
  void WriteRecord();

  // Operations.
  void EnableControls(bool enable);
  void FillWriteBlocks();
  void SetFactoryDefaults();
  void ApplyFactoryLink();
  // The program-side link: protocol, speed, frame and address item indexes.
  void SetProgramLink(const std::array<int, 4>& items);
  // FinalizePrm timed out in a factory write over the working interface.
  void FinalizeUnansweredOnFactoryLink();
  void VerifyDevice();
  void StartWrite(const std::vector<uint8_t>& jobs);
  std::string LinkSource() const;
  void CompleteLinkRead();
  // A failure outside the job list (a button's own step, port discovery):
  // traced and logged as it is, leaving the running job's state alone.
  void ReportOutsideJob(const std::exception& e);
  bool InIecMode() const { return FIec != nullptr; }

  // IEC mode.
  bool ChooseIecProtocol();
  void EnterIecMode(const TIecLinkSettings& link);
  void LeaveIecMode();
  void EnableIecControls(bool enable);
  bool RefusedInIecMode(TOperationKind kind);

  // Keyboard.
  void ApplyServiceView();

  TForm1Seams FSeams;
  TActivityLog FActivityLog;
  TOperationOutcome FLastOutcome;

  friend class TIecWorkflows;
};

}  // namespace vela
