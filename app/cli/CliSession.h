#pragma once
// One run of velalink-cli: builds the main window's logic on the headless
// event loop, sets the program-side link as the options say, runs the
// command through the window's own buttons and prints the activity log on
// standard error as it grows, and what the command read on standard output
// (watch: a line per completed reading as it comes). Returns the exit code.

#include <functional>
#include <memory>
#include <string>

#include "app/CycleFigures.h"
#include "app/Engine.h"
#include "app/cli/CliOptions.h"
#include "app/cli/CliTrace.h"
#include "common/HeadlessEventLoop.h"
#include "display/ValueTags.h"

namespace vela::cli {

class TStopRequests;

class TCliSession {
 public:
  using TPortFactory = std::function<std::unique_ptr<TArkComPort>(const std::string& portName)>;

  // stop may be null (no signals watched). portFactory: the serial port for a
  // name; empty: a real port on the system.
  TCliSession(const TCliOptions& options, HeadlessEventLoop& loop, const TStopRequests* stop,
              TPortFactory portFactory = {});
  ~TCliSession();

  int Run();
  // How the operation the command ran last ended; null before the engine is built.
  const TOperationOutcome* LastOutcome() const { return engine_ ? &Outcome() : nullptr; }

 private:
  TEngineSeams MakeSeams();
  int RunCommand();
  // Before the port closes: the answer to a request still on the line is
  // awaited within its time-out and dropped, so that it cannot spoil the
  // next program's first exchange.
  void AwaitLateAnswer();
  bool SetProgramLink();
  bool RunOperation(const std::function<void()>& start);
  bool Stopped() const;
  int StopCount() const;
  // A write stopped by a signal or the time bound ends after its current
  // request and reads the settings back; a further signal stops it at once.
  // True when it ended so.
  bool EndWriteGently();
  int RunRead();
  int RunWatch();
  // Continuous reading ended on a lost port: waits for the same port to come
  // back and starts reading again; false when stopped or out of time first.
  bool RideThroughPortLoss(int64_t deadlineMs);
  int RunSyncClock();
  int RunSettings();
  int RunConfigure();
  int RunWrite(TOperationKind kind);
  // The factory settings, once the operator confirmed them.
  int RunFactory();
  int RunVerify();
  bool ApplyDeviceSettings();
  // Commissioning commands, each in its own file.
  int RunFind();
  int SaveProfile();
  int RunConfigureFromProfile();
  // Asks question on the terminal (yes without asking with --yes); false,
  // said on standard error, when there is no terminal or the answer is no.
  bool ConfirmChanges(const std::string& question);
  bool FollowWrittenLink();
  int RunReport();
  int RunWiring();
  void PrintLogLine(const std::string& line);
  void PrintEachReading();
  // One line of data on standard output.
  void Print(const std::string& text) const;
  // Text as it is on standard output, flushed at once. A failed write is
  // said once on standard error (not for a reader that went away) and ends
  // the command with exit 1.
  void PrintData(const std::string& text) const;
  // A line for the operator beside the data (figures, notices): standard error.
  void Note(const std::string& text) const;
  int Fail(const std::string& reason) const;
  // The outcome of the operation the command ran last.
  const TOperationOutcome& Outcome() const { return engine_->LastOutcome(); }
  // The time tags and invalid marks of the cells in IEC mode; null otherwise.
  const TValueTags* IecTags() const;
  void CountExchange(const TExchangeEvent& event);

  const TCliOptions& options_;
  std::string port_;  // the port asked for, a device path turned into its COMn
  HeadlessEventLoop& loop_;
  const TStopRequests* stop_;
  TPortFactory portFactory_;
  TCliTrace* trace_ = nullptr;  // owned by the form
  std::unique_ptr<TIecOptionsDialog> iecDialog_;
  std::unique_ptr<TVelaEngine> engine_;
  bool quietLog_ = false;              // find: the probes' log lines are not printed
  mutable bool outputFailed_ = false;  // standard output could not be written
  int64_t answersSeen_ = 0;            // answers and line errors, from the exchange events
  std::string lastLogLine_;            // the activity log's latest line
  std::string programVersion_;         // this program's file version
  std::string programDigest_;          // its digest, once the identification report made it
  TCycleCounter cycles_;               // the figures of continuous reading
};

}  // namespace vela::cli
