#include "app/cli/CliSession.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <optional>

#include "app/DebugConsoleTarget.h"
#include "app/IecWorkflows.h"
#include "app/Messages.h"
#include "app/cli/CliPorts.h"
#include "app/cli/CliReport.h"
#include "app/cli/ReadingFormat.h"
#include "app/cli/StopSignal.h"
#include "common/ArkSysUtils.h"
#include "common/ProcessResources.h"
#include "display/CsvRecorder.h"
#include "ident/ArkGost3411.h"
#include "iec101/IecOptionsDialog.h"
#include "iec101/IecSettings.h"
#include "serial/PortNames.h"

namespace vela::cli {
namespace {

const char* const kVerifyDone = "Алгоритм вычисления: хэширование";
constexpr int64_t kEarlyExchanges = 1000;  // when watch --stats first samples its resources

// "Программа: после 1000 обменов память 5120 кБ, дескрипторов 7; в конце ...".
std::string ResourcesText(const std::optional<TProcessResources>& early,
                          const TProcessResources& last) {
  const auto figures = [](const TProcessResources& r) {
    return "память " + std::to_string(r.residentKb) + " кБ, дескрипторов " +
           std::to_string(r.openDescriptors);
  };
  std::string text = "Программа: ";
  if (early)
    text += "после " + std::to_string(kEarlyExchanges) + " обменов " + figures(*early) + "; ";
  return text + "в конце " + figures(last);
}

// The file name the recording button asks for comes from --csv.
class TFixedSaveDialog : public TSaveDialog {
 public:
  explicit TFixedSaveDialog(std::string fileName) : fileName_(std::move(fileName)) {}
  bool Execute(const std::string&, const std::string&, const std::string&,
               std::string& fileName) override {
    fileName = fileName_;
    return true;
  }

 private:
  std::string fileName_;
};

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
                         const TStopSignal* stop)
    : options_(options), loop_(loop), stop_(stop) {}

TCliSession::~TCliSession() = default;

TForm1Seams TCliSession::MakeSeams() {
  TForm1Seams seams(loop_.GetClock(), loop_);
  const std::string port = port_;
  seams.rs485Rts = options_.rts;
  seams.enumComPorts = [port] {
    std::vector<std::string> ports = PortsInPreferredOrder();
    if (!port.empty() && std::find(ports.begin(), ports.end(), port) == ports.end()) {
      ports.push_back(port);  // opening it tells what is wrong with it
    }
    return ports;
  };
  seams.debugOutputFactory = [this]() -> std::unique_ptr<TTraceTarget> {
    std::unique_ptr<TTraceTarget> console;
    try {
      console = std::make_unique<TDebugConsoleTarget>();
    } catch (...) {
      // Without a console the trace still counts the cycles.
    }
    auto trace = std::make_unique<TCliTrace>(loop_.GetClock(), std::move(console), options_.trace);
    trace_ = trace.get();
    trace_->SetObserver([this](const std::string& text) { ObserveTrace(text); });
    return trace;
  };
  if (options_.iec) {
    iecDialog_ = std::make_unique<TCliIecDialog>(*options_.iec);
    seams.iecOptionsDialog = iecDialog_.get();
  }
  if (!options_.csvFile.empty() && options_.csvFile != kCsvToStandardOutput) {
    saveDialog_ = std::make_unique<TFixedSaveDialog>(options_.csvFile);
    seams.saveDialog = saveDialog_.get();
  }
  seams.fastExchange = options_.fast;
  seams.programVersion = FileVersionText(OwnExecutablePath());
  seams.programDigest = [] {
    const std::string path = OwnExecutablePath();
    if (path.empty()) throw TArkException("Не удалось определить файл программы.");
    return HashFileGost256(path);
  };
  return seams;
}

int TCliSession::Run() {
  if (options_.command == TCommand::Ports) return RunPortsCommand();
  port_ = PortOfArgument(options_.port);
  form_ = std::make_unique<TForm1>(MakeSeams());
  if (form_->StartupFailed()) return Fail("Программа не может быть запущена.");
  form_->Memo1.OnChanged.Add([this](TControl&) { PrintNewLogLines(); });
  if (!SetProgramLink()) return 1;
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
      return RunWrite(form_->Button8);
    case TCommand::Verify:
      return RunVerify();
    case TCommand::Ports:
      break;
    case TCommand::Find:
      return RunFind();
    case TCommand::Report:
      return RunReport();
  }
  return 1;
}

bool TCliSession::SetProgramLink() {
  TForm1& f = *form_;
  if (!port_.empty()) f.cbComPort.ChooseText(port_);
  if (f.cbComPort.Text().empty()) {
    Fail("Последовательные порты не найдены; укажите порт: --port COMn.");
    return false;
  }
  // Which port and device the command uses: a diagnostic, beside the log.
  if (!options_.quiet) {
    std::fputs(("Порт " + PortInUse(f.cbComPort.Text()) + "\n").c_str(), stderr);
  }
  if (options_.rs485) {
    f.cbInterfaceType.Choose(1);
    f.ComboBox2.Choose(options_.iec ? 2 : options_.ascii ? 1 : 0);
    f.ComboBox3.ChooseText(options_.speed);
    f.ComboBox4.Choose(options_.frame);
    f.cbAddr.ChooseText(std::to_string(options_.address));
    if (options_.iec && !f.FIec) {
      Fail("Режим IEC 60870-5-101 не включён.");
      return false;
    }
  }
  f.Memo1.Clear();  // start-up notes belong to no command
  return true;
}

bool TCliSession::Stopped() const {
  return stop_ && stop_->Requested();
}

bool TCliSession::RunOperation(const std::function<void()>& start) {
  start();
  const auto timeoutMs = static_cast<int64_t>(options_.timeoutSeconds * 1000);
  loop_.RunUntil([&] { return !form_->FBusy || Stopped(); }, timeoutMs);
  if (!form_->FBusy) return true;
  const bool interrupted = Stopped();
  form_->FormKeyPress(static_cast<char>(kVkEscape));  // cancel: stop and close the port
  loop_.ProcessPending();
  char timeout[160];
  std::snprintf(timeout, sizeof timeout, "Операция не завершилась за %g с и прервана.",
                options_.timeoutSeconds);
  Fail(interrupted ? std::string("Операция прервана пользователем.") : std::string(timeout));
  return false;
}

int TCliSession::RunRead() {
  if (!RunOperation([&] { form_->Button4.Click(); })) return 1;
  if (!LogHas(msg::kReadDone)) return Fail("Чтение не выполнено.");
  const std::vector<std::string> cells = CellLines(*form_->FCells);
  if (options_.iec && cells.empty()) return Fail("Прибор не передал значений.");
  if (options_.format != TOutputFormat::Text) {
    PrintData(ReadingHeader(options_.format, *form_->FCells) +
              ReadingLine(options_.format, *form_->FCells, ReadingTimeNow()));
    return 0;
  }
  for (const std::string& line : cells) Print(line);
  const std::string clock = ClockLine(*form_);
  if (!clock.empty()) Print(clock);
  return AnyValueShown(*form_->FCells) ? 0 : Fail("Прибор не передал ни одного значения.");
}

void TCliSession::PrintEachReading() {
  TForm1& f = *form_;
  if (options_.csvFile == kCsvToStandardOutput) {
    // The recording itself, byte for byte as in a file, on standard output.
    auto recorder = std::make_shared<TCsvRecorder>(*f.FCells, loop_.GetClock());
    PrintData(TCsvRecorder::Header());
    f.OnReadingComplete = [this, recorder] { PrintData(recorder->Record(loop_.GetClock().Now())); };
    return;
  }
  PrintData(ReadingHeader(options_.format, *f.FCells));
  f.OnReadingComplete = [this] {
    PrintData(ReadingLine(options_.format, *form_->FCells, ReadingTimeNow()));
  };
}

int TCliSession::RunWatch() {
  TForm1& f = *form_;
  PrintEachReading();
  if (!options_.csvFile.empty() && options_.csvFile != kCsvToStandardOutput) {
    f.BitBtn1.Click();
    if (f.BitBtn1.Glyph() != "CHK1") return Fail("Запись в файл не начата.");
  }
  f.Button5.Click();
  TExchangeStats earlier;                  // of the readings before each outage
  std::optional<TProcessResources> early;  // after the first exchanges
  const auto done = [&] {
    const int64_t exchanges = earlier.Exchanges() + f.FExchangeStats.Exchanges();
    if (!early && exchanges >= kEarlyExchanges) early = SampleProcessResources();
    return !f.FContinuousRunning || Stopped() ||
           (options_.exchanges > 0 && exchanges >= options_.exchanges);
  };
  const int64_t deadlineMs =
      options_.seconds > 0
          ? loop_.GetClock().MonotonicMs() + static_cast<int64_t>(options_.seconds * 1000)
          : INT64_MAX;
  for (;;) {
    const int64_t leftMs = deadlineMs - loop_.GetClock().MonotonicMs();
    if (leftMs <= 0 || loop_.RunUntil(done, std::min<int64_t>(leftMs, 3600 * 1000))) {
      if (f.FContinuousRunning || Stopped() || !f.FPortFailed) break;
      earlier.Add(f.FExchangeStats);
      if (!RideThroughPortLoss(deadlineMs)) break;
    } else if (deadlineMs != INT64_MAX && loop_.GetClock().MonotonicMs() >= deadlineMs) {
      break;
    }
  }
  const TProcessResources last = SampleProcessResources();  // before the port closes
  f.FExchangeStats.Add(earlier);
  const bool endedByItself = !f.FContinuousRunning && !Stopped() && !f.FPortFailed;
  if (f.FContinuousRunning) f.Button5.Click();  // "Остановлено.", the port is closed
  loop_.ProcessPending();
  if (f.BitBtn1.Glyph() == "CHK1") f.BitBtn1.Click();
  f.OnReadingComplete = nullptr;
  if (options_.stats) {
    // The cycle figures come from the MODBUS job lines of the trace; an IEC
    // reading is one exchange, and the exchange figures tell it all.
    if (trace_ && !options_.iec) {
      const TCycleFigures c = trace_->Figures();
      char text[256];
      std::snprintf(text, sizeof text,
                    "Циклов чтения: %d; среднее время цикла: %.1f мс; обменов за цикл: %d; "
                    "октетов за цикл: запросы %lld, ответы %lld",
                    c.cycles, c.meanCycleMs, c.exchangesPerCycle,
                    static_cast<long long>(c.octetsWritten), static_cast<long long>(c.octetsRead));
      Print(text);
    }
    Print(f.FExchangeStats.Text());
    Print(ResourcesText(early, last));
  }
  if (endedByItself) return Fail("Непрерывное чтение остановлено.");
  if (f.FExchangeStats.Figures().readings == 0) {
    return Fail("Ни одного показания не прочитано: проверьте связь с прибором.");
  }
  return 0;
}

int TCliSession::RunSyncClock() {
  if (!RunOperation([&] { form_->Button1.Click(); })) return 1;
  if (options_.iec && !form_->FIec->ClockConfirmed()) {
    return Fail("Прибор не подтвердил установку часов.");
  }
  if (!options_.iec && !LogHas(msg::kClockSet)) return Fail("Часы прибора не установлены.");
  Print(ClockLine(*form_));
  return 0;
}

int TCliSession::RunSettings() {
  if (!RunOperation([&] { form_->Button7.Click(); })) return 1;
  if (!LogHas(msg::kReadDone) || !LogHas(msg::kLinkSettingsRead)) {
    return Fail("Установки прибора не прочитаны.");
  }
  for (const std::string& line : SettingsLines(*form_)) Print(line);
  return options_.commission.saveFile.empty() ? 0 : SaveProfile();
}

int TCliSession::RunConfigure() {
  if (!options_.commission.profileFile.empty()) return RunConfigureFromProfile();
  // What is not given keeps the device's own value: read them first.
  if (!RunOperation([&] { form_->Button7.Click(); })) return 1;
  if (!LogHas(msg::kReadDone) || !LogHas(msg::kLinkSettingsRead)) {
    return Fail("Установки прибора не прочитаны; запись не выполнялась.");
  }
  if (!ApplyDeviceSettings()) return 2;
  return RunWrite(form_->Button3);
}

bool TCliSession::ApplyDeviceSettings() {
  TForm1& f = *form_;
  const TDeviceSettings& s = options_.set;
  if (s.protocol) {
    f.cbProtocolType.Choose(*s.protocol);
  }
  if (s.frame) {
    const bool ascii = f.cbProtocolType.ItemIndex() == 1;
    if (s.frameDataBits != (ascii ? 7 : 8)) {
      Fail(std::string("Формат --set-frame не подходит к протоколу прибора ") +
           f.cbProtocolType.Text() + ": нужно " + (ascii ? "7" : "8") + " бит данных.");
      return false;
    }
    f.cbFrame.Choose(*s.frame);
  }
  if (s.speed) f.cbSpeed.ChooseText(*s.speed);
  if (s.address) f.cbAddress.ChooseText(std::to_string(*s.address));
  if (s.threeWire) (*s.threeWire ? f.rb3w : f.rb4w).Click();
  return true;
}

int TCliSession::RunWrite(TButton& button) {
  if (!RunOperation([&] { button.Click(); })) return 1;
  if (!LogHas(msg::kOperationDone) && !LogHas(msg::kOperationEnded)) {
    return Fail("Установки не записаны.");
  }
  for (const std::string& line : SettingsLines(*form_)) Print(line);
  return 0;
}

int TCliSession::RunVerify() {
  if (!RunOperation([&] { form_->btnVerify.Click(); })) return 1;
  const auto& lines = form_->Memo1.Lines();
  if (lines.empty() || lines.back() != kVerifyDone) return Fail("Верификация не выполнена.");
  return 0;
}

bool TCliSession::LogHas(const std::string& line) const {
  const auto& lines = form_->Memo1.Lines();
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

void TCliSession::ObserveTrace(const std::string& text) {
  if (text.rfind("    <", 0) == 0) {
    lastTracedJob_ = text.substr(5, text.size() - 6);
  } else if (text.rfind(" Rd: ", 0) == 0 || text.rfind("Err: ", 0) == 0) {
    ++answersSeen_;
    if (lastTracedJob_ == "GetTime" && clockAnswerAt_ == 0) clockAnswerAt_ = loop_.GetClock().Now();
  }
}

void TCliSession::PrintNewLogLines() {
  if (quietLog_) return;
  const auto& lines = form_->Memo1.Lines();
  // Emptied by a new operation, or its oldest lines dropped at the cap.
  if (lines.size() < printed_) printed_ = lines.size();
  // The log is the activity, on standard error; verify's log is its report.
  const bool report = options_.command == TCommand::Verify;
  for (; printed_ < lines.size(); ++printed_) {
    if (report) {
      Print(lines[printed_]);
    } else if (!options_.quiet) {
      std::fputs((WithLineBreaks(lines[printed_]) + "\n").c_str(), stderr);
    }
  }
}

void TCliSession::Print(const std::string& text) const {
  PrintData(WithLineBreaks(text) + "\n");
}

void TCliSession::PrintData(const std::string& text) const {
  if (text.empty()) return;
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
}

int TCliSession::Fail(const std::string& reason) const {
  std::fputs(("velalink-cli: " + reason + "\n").c_str(), stderr);
  return 1;
}

}  // namespace vela::cli
