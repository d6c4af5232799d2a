#pragma once
// TVelaEngine, the program's engine without a window: it owns the port, the
// Modbus frame builder, the register blocks, the cells with their
// presentation, the CSV recorder and the debug output, runs the operations as
// job lists one request at a time (or, in IEC mode, as chains of link
// services), and reports what happens through typed events: outcomes,
// exchange events, the activity log and changes of its own state. The window
// (TForm1) and the command line are front ends over it: they set the link
// and the device settings as values and call the operations; the engine
// never touches a control.
//
// The behaviour is split by concern over several files:
//   Engine.cpp         creation and destruction, port events, state events
//   EngineLink.cpp     the program-side link and the device-side settings
//   Sequencer.cpp      job stepping, time-out rules, stopping
//   JobCatalogue.cpp   job completions and the exception handler
//   Operations.cpp     the operations
//   Recording.cpp      CSV recording
//   IecMode.cpp        entering and leaving IEC 60870-5-101 mode
//   PortOutage.cpp     riding through a lost port
//   IecWorkflows.cpp   the operations over IEC 60870-5-101 (TIecWorkflows)

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "app/ActivityLog.h"
#include "app/EngineSettings.h"
#include "app/ExchangeStats.h"
#include "app/JobCodes.h"
#include "app/NoAnswerRun.h"
#include "app/OperationOutcome.h"
#include "app/OperationRecord.h"
#include "app/WriteVerdict.h"
#include "common/Clock.h"
#include "common/ExchangeEvent.h"
#include "common/Timer.h"
#include "display/CsvRecorder.h"
#include "display/MeasurementCells.h"
#include "display/MeasurementPresenter.h"
#include "iec101/IecDeviceOptions.h"
#include "iec101/IecOptionsDialog.h"
#include "iec101/IecTypes.h"
#include "modbus/ModbusPacker.h"
#include "modbus/ModbusParamBlocks.h"
#include "modbus/ModbusValueBlocks.h"
#include "serial/ArkComPort.h"

namespace vela {

class TIecWorkflows;
class TModbusLogicException;

// Where trace messages go: the debug console endpoint.
class TTraceTarget {
 public:
  virtual ~TTraceTarget() = default;
  // One message; false when it was not sent.
  virtual bool Send(const std::string& text) = 0;
  // What the target has to say at start (where its trace goes); may be empty.
  virtual std::string StartNote() const { return {}; }
};

// What the engine needs from the world around it.
struct TEngineSeams {
  TEngineSeams(Clock& clockSeam, TimerFactory& timerSeam) : clock(clockSeam), timers(timerSeam) {}

  Clock& clock;
  TimerFactory& timers;
  // The IEC options dialog asked on entering IEC mode; none: it is never confirmed.
  TIecOptionsDialog* iecOptionsDialog = nullptr;
  // Creates the serial port for a name; empty: a real port on the system.
  std::function<std::unique_ptr<TArkComPort>(const std::string& portName)> portFactory;
  // Creates the debug console endpoint; may raise; empty: no console.
  std::function<std::unique_ptr<TTraceTarget>()> debugOutputFactory;
  // How the RS-485 direction follows the writes on the working interface
  // (the USB service interface never drives it).
  RtsControl rs485Rts = RtsControl::Auto;
  // File version of the program, four numbers joined by points.
  std::string programVersion = "?.?.?.?";
  // GOST R 34.11-2012 digest of the program file as 64 hexadecimal digits
  // (may raise); empty: no digest.
  std::function<std::string()> programDigest;
  // Fast exchange: an answer ends as soon as its frame is whole and valid,
  // not only after 50 ms of silence (which stays the rule for the rest).
  bool fastExchange = false;
  // Continuous reading rides through a lost port: the engine waits for the
  // same port, reopens it with the same settings and reads on (the window);
  // off, the operation ends and its owner decides (the command line).
  bool rideThroughPortLoss = false;
  // The time a MODBUS request's answer is awaited, in ms; 0: each block's own.
  int responseTimeoutMs = 0;
  // The names of the ports present, looked at while a lost port is awaited;
  // empty: the system's discovery.
  std::function<std::vector<std::string>()> presentPorts;
  // A stopped operation whose request is still unanswered keeps the port
  // open until the answer comes (dropped unseen) or its time-out passes, so
  // that a late answer never reaches the next program on the line (the
  // command line); off, the port closes at once (the window).
  bool awaitLateAnswer = false;
};

class TVelaEngine {
 public:
  explicit TVelaEngine(TEngineSeams seams);
  ~TVelaEngine();
  TVelaEngine(const TVelaEngine&) = delete;
  TVelaEngine& operator=(const TVelaEngine&) = delete;

  // --- Operations ---
  void ReadOnce();
  // Starts continuous reading, or stops it when it runs.
  void ToggleContinuousReading();
  void SyncClock();
  void ReadSettings();
  // Writes DeviceSettings() (the caller sets them first).
  void WriteSettings();
  // Sets the factory settings into DeviceSettings() and writes them.
  void WriteFactorySettings();
  void IdentificationReport();
  // Looking for devices: the identification read alone, single-shot, its
  // answer awaited timeoutMs (0: the block's own time-out). The result is
  // in FDevInfoRead and FDevInfo. False when the port did not open.
  bool ProbeIdentification(int timeoutMs);
  // Any of the operations above by its kind (continuous reading only
  // starts); a failure reaches the exception handler as a button's would.
  void Start(TOperationKind kind);
  // Escape: the running operation stops (continuous reading in IEC mode at
  // its next result). A settings write stops after its current request and
  // reads the settings back; a second call stops it at once.
  void CancelOperation();
  // A settings or factory write is running and has sent a block (reading
  // back included): stopping it reads the settings back first.
  bool WriteRunning() const {
    return FBusy && FWritePhase != TWritePhase::None &&
           (FWritePhase != TWritePhase::Writing || WriteStarted());
  }

  // --- A lost port (PortOutage.cpp) ---
  // Continuous reading lost its port and waits for it (rideThroughPortLoss).
  bool PortOutageRunning() const { return FOutage.has_value(); }

  // --- A late answer (LateAnswer.cpp) ---
  // The port stays open for the answer to a stopped operation's last request.
  bool AwaitingLateAnswer() const { return FLateAnswerTimer && FLateAnswerTimer->Enabled(); }
  // The operator stops waiting; say: log that the wait ended.
  void EndPortOutage(bool say = true);
  // Continuous reading again on the link as it is, the log kept; true when
  // it runs.
  bool ResumeContinuousReading();

  // --- The program-side link (the port and how the program talks) ---
  const TProgramLink& ProgramLink() const { return FLink; }
  // The port by its name ("COM5", or a listed entry "COM5 (нет доступа)").
  void SelectPort(const std::string& portName);
  // The interface, with the protocol, speed, frame and address to use on
  // RS-485 (the service interface has its own fixed link).
  void SetInterface(bool rs485, const TProgramLink& link);
  // 2 enters IEC mode (the options dialog is asked); when refused, the
  // protocol falls back to MODBUS RTU: ProgramLink() tells.
  void SetProgramProtocol(int protocol);
  void SetProgramSpeed(int speedIndex);  // into kProgramSpeeds
  void SetProgramFrame(int frame);
  void SetProgramAddress(int address);  // 1..247
  // Serial devices were added or removed: another device may sit behind a name.
  void PortsChanged();
  bool InIecMode() const { return FIec != nullptr; }
  // The IEC options dialog from now on (a front end running unattended);
  // returns the one used so far.
  TIecOptionsDialog* SetIecOptionsDialog(TIecOptionsDialog* dialog) {
    return std::exchange(FSeams.iecOptionsDialog, dialog);
  }

  // --- The device-side settings: read from the device, or to be written ---
  const TDeviceSettingsModel& DeviceSettings() const { return FDevice; }
  // The settings were read from the device now connected, over this port and
  // address, with every field known: only then may they be written.
  bool DeviceSettingsKnown() const;
  bool DeviceSettingsRead() const;      // from this device, over this port and address
  bool DeviceSettingsComplete() const;  // every field has a value
  void SetDeviceSettings(const TDeviceSettingsModel& settings);
  // The device's IEC options: read settings fills them, write settings and
  // the factory defaults write them, the options dialog edits them.
  TIecDeviceOptions& IecDeviceOptions() { return FIecDeviceOptions; }
  const TIecDeviceOptions& IecDeviceOptions() const { return FIecDeviceOptions; }

  // --- Recording ---
  // Starts recording into fileName (a failure is logged); stops when on.
  void StartRecording(const std::string& fileName);
  void StopRecording();
  bool Recording() const { return FRecorder->IsRecording(); }
  // The recording rate, an index into kRateLimitItems.
  void SetRecordInterval(int itemIndex) { FRecordIntervalItem = itemIndex; }
  // The service view shows what the device sends in detail.
  void SetServiceView(bool on) { FServiceView = on; }

  // --- State ---
  bool Busy() const { return FBusy; }
  bool WriteStarted() const;  // a block of the running write went out
  bool ContinuousRunning() const { return FContinuousRunning; }
  // "серийный номер …" of the device shown; empty: none.
  std::string SerialCaption() const;
  const std::string& DeviceClockText() const { return FPresenter->DeviceClockText(); }
  const TMeasurementCells& Cells() const { return *FCells; }
  const TOperationOutcome& LastOutcome() const { return FLastOutcome; }
  Clock& GetClock() const { return FSeams.clock; }
  TActivityLog& ActivityLog() { return FActivityLog; }

  // --- Events (each may be empty) ---
  // Once at the end of every operation, with how it ended.
  std::function<void(const TOperationOutcome&)> OnOperationOutcome;
  // Every exchange on the line, after the counters took it.
  std::function<void(const TExchangeEvent&)> OnExchange;
  // After each completed reading, where the recording takes its line.
  std::function<void()> OnReadingComplete;
  // Busy() changed: the front end enables its controls.
  std::function<void()> OnBusyChanged;
  // InIecMode() changed: the Modbus-only controls follow.
  std::function<void()> OnIecModeChanged;
  // ContinuousRunning() changed.
  std::function<void()> OnContinuousChanged;
  // The engine changed the program link itself (the factory write, or a
  // protocol that could not be entered).
  std::function<void()> OnProgramLinkChanged;
  // The device settings changed: read from the device, set to the factory
  // settings, adjusted for old firmware, or forgotten.
  std::function<void()> OnDeviceSettingsChanged;
  // DeviceSettingsKnown() may have changed: the write is offered or not.
  std::function<void()> OnSettingsKnownChanged;
  std::function<void()> OnSerialChanged;
  std::function<void(const std::string&)> OnDeviceClockText;
  // The cells changed: the front end redraws them.
  std::function<void()> OnCellsChanged;
  std::function<void()> OnRecordingChanged;

  // --- Activity log and trace ---
  void Log(const std::string& text) { FActivityLog.Log(text); }
  void LogStatus(const std::string& text) {
    if (FVerboseStatus) Log(text);
  }
  void Trace(const std::string& text) const { FActivityLog.Trace(text); }
  void TraceJob(const std::string& text) const { FActivityLog.TraceJob(text); }
  // One exchange event: counted, then passed on.
  void ReportExchange(TExchangeEventKind kind, size_t octets = 0, int exceptionCode = 0,
                      bool repeat = false);

  // --- Sequencer ---
  void Advance();
  void StartCurrentJob();
  void StopOperation();
  void RetryOrStop();
  void Timer1Timer();
  uint8_t CurrentJob() const;

  // --- Port events and the exception handler ---
  void PortRead(TArkComPort* sender, const Octets& data);
  void PortWrite(TArkComPort* sender, const Octets& data);
  void PortError(TArkComPort* sender, uint32_t errors, const TComStat& status);
  void HandleException(void* sender, const std::exception& e);
  // The handler wrapped so that its exceptions reach HandleException, as the
  // application-wide hook does.
  std::function<void()> Guarded(void (TVelaEngine::*handler)());
  // A failure outside the job list (a front end's own step, port discovery):
  // traced and logged as it is, leaving the running job's state alone.
  void ReportOutsideJob(const std::exception& e);

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
  std::unique_ptr<TCsvRecorder> FRecorder;
  std::unique_ptr<TTraceTarget> FDebugOutput;
  std::unique_ptr<Timer> Timer1;
  // Present exactly in IEC mode: the IEC operations with their link master.
  std::unique_ptr<TIecWorkflows> FIec;

  // --- State ---
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
  TNoAnswerRun FNoAnswerRun;  // the requests without an answer since the last one answered
  bool FBusy = false;
  bool FVerifyMode = false;
  bool FServiceView = false;
  std::string FPendingOldFirmware;
  std::string FPendingSpeedNote;
  std::string FPendingFormatErrors;
  bool FContinuousRunning = false;  // continuous reading runs
  // The port and address the link block was last read from ("" when it was
  // not read since the port was chosen): a write sends back what the device
  // holds in the words the settings do not set, so it reads them first when
  // they come from elsewhere.
  std::string FLinkPrmSource;
  bool FWriteOperation = false;       // settings or factory defaults are written
  bool FDevInfoRead = false;          // the identification block was read in this operation
  bool FFactoryLinkSwitched = false;  // the factory write changed the program's own link
  // FinalizePrm went unanswered on the factory link and is now tried on the
  // link the device had before the write (its new settings wait for it).
  bool FFinalizeOnPreviousLink = false;
  TProgramLink FPreviousLink{};    // the program link before the factory write
  bool FCompletionFailed = false;  // the exception on its way comes from a completion
  bool FRepeatPending = false;     // the next request written repeats the last one
  bool FReadingTaken = false;      // a value block of the running reading was taken
  int32_t FProbeTimeoutMs = 0;     // the identification probe's own time-out; 0: none
  // The serial number in the measured-values caption, when one is shown.
  std::optional<uint32_t> FShownSerial;
  // The last operation ended because the port itself failed.
  bool FPortFailed = false;
  // Where a settings write stands: writing, asked to stop after the current
  // request, or reading back what the device holds after stopping early.
  // Abandoned: another device answered the read ahead of the write.
  enum class TWritePhase : uint8_t { None, Writing, StopRequested, ReadingBack, Abandoned };
  TWritePhase FWritePhase = TWritePhase::None;
  // What the write sent and what the read-back found.
  TWriteEvidence FWriteEvidence;
  TProgramLink FWriteStartLink{};            // the program link when the write started
  TProgramLink FWrittenLink{};               // the link the written settings give the device
  std::vector<TProgramLink> FReadBackLinks;  // links still to try for the read-back
  uint8_t FReadBackRepeatedJob = 0;          // the read-back job sent a second time
  // The settings known: read from the device with this serial number over
  // this port and address (LinkSource()).
  struct TSettingsOrigin {
    std::string source;
    uint32_t serial = 0;
  };
  std::optional<TSettingsOrigin> FSettingsOrigin;
  unsigned FSettingsBlocksRead = 0;  // bits of the settings blocks read in this operation
  // The exchanges of the last read or continuous reading.
  TExchangeStats FExchangeStats;
  // What the running operation has done so far.
  TOperationRecord FRecord;

 private:
  friend class TIecWorkflows;

  // Start-up steps.
  void ResetState();
  void WriteJobPrefix();
  void CreateDebugOutput();
  void CreatePort();
  void CreateBlocks();
  void CreateDisplay();
  void ConnectPortEvents();

  // Sequencer helpers.
  // The register block a parameter job reads or writes; null for the others.
  TModbusParams* ParamsOfJob(uint8_t job) const;
  bool SendCurrentRequest(uint8_t job);
  void RunTimeoutRule(uint8_t job);
  // A request went unanswered: said with what to check at the start of a
  // run of them; the device is no longer shown as the one present.
  void NoAnswer(const char* text);
  void EndNoAnswerRun();
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
  bool RefusedInIecMode(TOperationKind kind);

  // Job catalogue.
  void CompleteJob(uint8_t job, const Octets& data);
  void CompleteReadJob(uint8_t job, const Octets& data);
  void ApplyNetworkType();
  // The network type a block carries; an unknown normalisation is logged.
  void TakeNetworkType(uint8_t normalisationType, bool threeWire);
  void LinkSettingsRead();
  void CompleteDevInfo();
  // Nothing of the device last shown stays as current: the cells, the clock
  // field and the serial number; with settingsToo also the device settings.
  void ForgetDevice(bool settingsToo);
  void HandleJobException(uint8_t job, const std::exception& e);
  void HandleMissingLinkBlock(uint8_t job);
  void StopWriteOnRefusal(const TModbusLogicException* logic);
  void HandleRefusedRead(uint8_t job, int32_t code);
  // A measured-value job that ends without its values taken (time-out after
  // no answer, a broken answer or an exception): its cells are empty in
  // this reading, saying why.
  void ShowUnreadBlock(uint8_t job);
  // The record job: a reading in which a value block was taken is complete,
  // counted and recorded; one that took none measured nothing.
  void CompleteReading();
  void WriteRecord();

  // Operations.
  void SetBusy(bool busy);
  void SetContinuousRunning(bool running);
  void FillWriteBlocks();
  void SetFactoryDefaults();
  void ApplyFactoryLink();
  // The program link set by the engine itself, applied to the port.
  void SetProgramLink(const TProgramLink& link);
  // FinalizePrm timed out in a factory write over the working interface.
  void FinalizeUnansweredOnFactoryLink();
  void VerifyDevice();
  void StartWrite(const std::vector<uint8_t>& jobs, bool readFirst);
  // A write that ended before its last block: read back what the device
  // holds, and say per block what was written.
  void BeginReadBack();
  void StartReadBackJobs();
  void ReadBackTaken(uint8_t job);
  void ReadBackTimedOut();
  bool ReadBackAnswered() const;  // some read-back request was answered
  void NoteWriteAttempt(uint8_t job);

  TProgramLink LinkOfWrittenSettings() const;
  void FillWriteReport(TOperationOutcome& outcome);
  void LogWriteReport(const TWriteReport& report);
  // Settings knowledge: a block of the settings read, or all forgotten.
  void SettingsBlockRead(uint8_t job);
  void ForgetSettingsOrigin();
  std::string LinkSource() const;
  void CompleteLinkRead();
  void SetSerialCaption(std::optional<uint32_t> serial);
  void CellsChanged();
  void DeviceSettingsChanged();

  // The link applied to the port and the frame builder.
  void ApplyProtocol();
  void ApplySpeed();
  void ApplyFrame();
  void ApplyAddress();

  // A lost port.
  static constexpr unsigned kPortOutagePollMs = 250;
  struct TPortOutageState {
    std::string port;
    int64_t lostMs = 0;  // monotonic
  };
  void BeginPortOutage();
  void PortOutageTick();
  std::optional<TPortOutageState> FOutage;
  std::unique_ptr<Timer> FOutageTimer;

  // A late answer.
  // Closes the port, or keeps it open while the request's answer is still due.
  void ClosePortWhenAnswered();
  // The answer came, its time-out passed, or the port is needed: it closes.
  void EndLateAnswerWait();
  // When the answer to the request on the line is due (monotonic ms); none
  // once it came or timed out.
  std::optional<int64_t> FAnswerDueMs;
  std::unique_ptr<Timer> FLateAnswerTimer;

  // IEC mode.
  bool ChooseIecProtocol();
  void EnterIecMode(const TIecLinkSettings& link);
  void LeaveIecMode();

  TEngineSeams FSeams;
  TActivityLog FActivityLog;
  TProgramLink FLink;
  TDeviceSettingsModel FDevice;
  TIecDeviceOptions FIecDeviceOptions;
  // The connection dialog's answer time, staleness limit and interrogation
  // period, offered again at the next entry.
  uint32_t FIecAnswerTimeMs = kDefaultAnswerTimeMs;
  uint32_t FIecStaleAfterS = kDefaultStaleAfterS;
  uint32_t FIecInterrogationPeriodS = 0;
  int FRecordIntervalItem = 0;
  TOperationOutcome FLastOutcome;
};

}  // namespace vela
