#include "app/cli/CliSession.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "app/DebugConsoleTarget.h"
#include "app/IecWorkflows.h"
#include "app/Messages.h"
#include "app/cli/CliPorts.h"
#include "app/commission/ReadoutText.h"
#include "app/cli/ReadingFormat.h"
#include "app/cli/StopSignal.h"
#include "common/ArkSysUtils.h"
#include "common/CRuntimeErrorText.h"
#include "common/ProcessResources.h"
#include "display/CsvRecorder.h"
#include "ident/ArkGost3411.h"
#include "iec101/IecOptionsDialog.h"
#include "iec101/IecSettings.h"
#include "serial/PortNames.h"

namespace vela::cli {
namespace {

// The options dialog of IEC mode: the connection comes from the command line.
class TCliIecDialog : public TIecOptionsDialog {
 public:
  explicit TCliIecDialog(const TIecCliLink& link) : link_(link) {}
  bool Execute(TIecOptionsMode mode, TIecOptions& options) override {
    if (mode != TIecOptionsMode::Connection) return false;
    TIecFieldLengths& lengths = options.connection.lengths;
    lengths.SetLinkAddressLength(static_cast<uint32_t>(link_.linkAddressLength));
    lengths.SetCotLength(static_cast<uint32_t>(link_.cotLength));
    lengths.SetCommonAddressLength(static_cast<uint32_t>(link_.commonAddressLength));
    lengths.SetIoaLength(static_cast<uint32_t>(link_.ioaLength));
    options.connection.expectedCommonAddress = static_cast<uint32_t>(link_.commonAddress);
    options.connection.answerTimeMs = static_cast<uint32_t>(link_.answerTimeMs);
    options.connection.staleAfterS = static_cast<uint32_t>(link_.staleAfterS);
    options.connection.interrogationPeriodS = static_cast<uint32_t>(link_.interrogationPeriodS);
    // Commands carry the device options' common address.
    options.device.CommonAddress = link_.commonAddress;
    return true;
  }

 private:
  TIecCliLink link_;
};

std::string WithLineBreaks(std::string text) {
  for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos;) text.erase(at, 1);
  return text;
}

}  // namespace

TCliSession::TCliSession(const TCliOptions& options, HeadlessEventLoop& loop,
                         const TStopRequests* stop, TPortFactory portFactory)
    : options_(options), loop_(loop), stop_(stop), portFactory_(std::move(portFactory)) {}

TCliSession::~TCliSession() = default;

TEngineSeams TCliSession::MakeSeams() {
  TEngineSeams seams(loop_.GetClock(), loop_);
  seams.rs485Rts = options_.rts;
  seams.portFactory = portFactory_;
  seams.debugOutputFactory = [this]() -> std::unique_ptr<TTraceTarget> {
    std::unique_ptr<TTraceTarget> console;
    try {
      console = std::make_unique<TDebugConsoleTarget>();
    } catch (...) {
      // Without a console the trace still counts the cycles.
    }
    return std::make_unique<TCliTrace>(std::move(console), options_.trace);
  };
  if (options_.iec) {
    iecDialog_ = std::make_unique<TCliIecDialog>(*options_.iec);
    seams.iecOptionsDialog = iecDialog_.get();
  }
  seams.fastExchange = !options_.exactTiming;
  seams.responseTimeoutMs = options_.responseTimeoutMs;
  seams.awaitLateAnswer = true;
  programVersion_ = FileVersionText(OwnExecutablePath());
  seams.programVersion = programVersion_;
  seams.programDigest = [this] {
    const std::string path = OwnExecutablePath();
    if (path.empty()) throw TArkException("Не удалось определить файл программы.");
    programDigest_ = HashFileGost256(path);
    return programDigest_;
  };
  return seams;
}

int TCliSession::Run() {
  if (options_.command == TCommand::Ports) return RunPortsCommand(options_.format);
  port_ = PortOfArgument(options_.port);
  engine_ = std::make_unique<TVelaEngine>(MakeSeams());
  engine_->ActivityLog().OnLine = [this](const std::string& line) { PrintLogLine(line); };
  engine_->OnExchange = [this](const TExchangeEvent& event) { CountExchange(event); };
  if (!SetProgramLink()) return 1;
  const int code = RunCommand();
  AwaitLateAnswer();
  return outputFailed_ ? 1 : code;
}

void TCliSession::AwaitLateAnswer() {
  // The engine ends the wait itself when the answer comes or its time-out
  // passes; a further signal ends it at once.
  constexpr int64_t kLongestAnswerMs = 120000;
  const int signals = StopCount();
  loop_.RunUntil([&] { return !engine_->AwaitingLateAnswer() || StopCount() > signals; },
                 kLongestAnswerMs);
}

int TCliSession::RunCommand() {
  switch (options_.command) {
    case TCommand::Read:
      return RunRead();
    case TCommand::Watch:
      return RunWatch();
    case TCommand::SyncClock:
      return RunSyncClock();
    case TCommand::Settings:
      return RunSettings();
    case TCommand::Configure:
      return RunConfigure();
    case TCommand::Factory:
      return RunFactory();
    case TCommand::Verify:
      return RunVerify();
    case TCommand::Ports:
      break;
    case TCommand::Find:
      return RunFind();
    case TCommand::Report:
      return RunReport();
    case TCommand::Wiring:
      return RunWiring();
  }
  return 1;
}

bool TCliSession::SetProgramLink() {
  TVelaEngine& f = *engine_;
  // The port asked for, or the first one present (opening it tells what is
  // wrong with it).
  std::string port = port_;
  if (port.empty()) {
    try {
      const std::vector<std::string> present = PortsInPreferredOrder();
      if (!present.empty()) port = present.front();
    } catch (...) {
      port = "COM1";  // without a list of the ports present, the first name
    }
  }
  if (!port.empty()) f.SelectPort(port);
  if (f.ProgramLink().port.empty()) {
    Fail("Последовательные порты не найдены; укажите порт: --port COMn.");
    return false;
  }
  // Which port and device the command uses: a diagnostic, beside the log.
  if (!options_.quiet) {
    std::fputs(("Порт " + PortInUse(f.ProgramLink().port) + "\n").c_str(), stderr);
  }
  if (options_.rs485) {
    // In the order an operator sets the boxes: entering IEC mode takes the
    // address from the device settings, the address given comes after it.
    f.SetInterface(true, f.ProgramLink());
    f.SetProgramProtocol(options_.iec ? 2 : options_.ascii ? 1 : 0);
    if (const int speed = IndexOfText(kProgramSpeeds, options_.speed); speed >= 0) {
      f.SetProgramSpeed(speed);
    }
    f.SetProgramFrame(options_.frame);
    f.SetProgramAddress(options_.address);
    if (options_.iec && !f.FIec) {
      Fail("Режим IEC 60870-5-101 не включён.");
      return false;
    }
  }
  return true;
}

bool TCliSession::Stopped() const {
  return (stop_ && stop_->Requested()) || outputFailed_;
}

int TCliSession::StopCount() const {
  return stop_ ? stop_->Count() : 0;
}

bool TCliSession::EndWriteGently() {
  // Within its bound the request on the line times out, and the read-back
  // tries both links with one request each before giving up.
  constexpr int64_t kReadBackBoundMs = 15000;
  const int signals = StopCount();
  engine_->CancelOperation();
  Note("Повторный сигнал (Ctrl-C) прервёт запись сразу.");
  loop_.RunUntil([&] { return !engine_->Busy() || StopCount() > signals || outputFailed_; },
                 kReadBackBoundMs);
  return !engine_->Busy();
}

bool TCliSession::RunOperation(const std::function<void()>& start) {
  start();
  const auto timeoutMs = static_cast<int64_t>(options_.timeoutSeconds * 1000);
  loop_.RunUntil([&] { return !engine_->Busy() || Stopped(); }, timeoutMs);
  if (!engine_->Busy()) return true;
  const bool interrupted = Stopped();
  if (engine_->WriteRunning() && !outputFailed_ && EndWriteGently()) return true;
  if (engine_->FPort->IsOpen()) engine_->CancelOperation();  // stop and close the port
  loop_.ProcessPending();
  char timeout[160];
  std::snprintf(timeout, sizeof timeout, "Операция не завершилась за %g с и прервана.",
                options_.timeoutSeconds);
  Fail(interrupted ? std::string("Операция прервана пользователем.") : std::string(timeout));
  return false;
}

void TCliSession::CountExchange(const TExchangeEvent& event) {
  cycles_.Count(event);
  // Find asks whether anything at all came back: an answer, or line errors.
  if (event.kind == TExchangeEventKind::Answer || event.kind == TExchangeEventKind::LineError) {
    ++answersSeen_;
  }
}

void TCliSession::PrintLogLine(const std::string& line) {
  lastLogLine_ = line;
  if (quietLog_) return;
  // The log is the activity, on standard error; verify's log is its report.
  if (options_.command == TCommand::Verify && options_.format == TOutputFormat::Text) {
    Print(line);
  } else if (!options_.quiet) {
    std::fputs((WithLineBreaks(line) + "\n").c_str(), stderr);
  }
}

void TCliSession::Print(const std::string& text) const {
  PrintData(WithLineBreaks(text) + "\n");
}

const TValueTags* TCliSession::IecTags() const {
  return engine_->FIec ? &engine_->FIec->Interpreter().Tags() : nullptr;
}

void TCliSession::PrintData(const std::string& text) const {
  if (text.empty() || outputFailed_) return;
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0) {
    return;
  }
  outputFailed_ = true;
  const int error = errno;
  std::clearerr(stdout);       // said here once; the command ends with exit 1
  if (error == EPIPE) return;  // the reader went away: nothing to tell it
  std::fputs(("velalink-cli: стандартный вывод не записывается (" + CRuntimeErrorText(error) +
              "): проверьте, куда он направлен, и свободное место.\n")
                 .c_str(),
             stderr);
}

void TCliSession::Note(const std::string& text) const {
  std::fputs((WithLineBreaks(text) + "\n").c_str(), stderr);
}

int TCliSession::Fail(const std::string& reason) const {
  std::fputs(("velalink-cli: " + reason + "\n").c_str(), stderr);
  return 1;
}

}  // namespace vela::cli
