// `find`: looks for Vela devices on a line by sending the identification
// read with every protocol, speed, frame and address in turn, through the
// main window's own operation (TForm1::ProbeIdentification).

#include "app/cli/CliFind.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "app/cli/CliRecords.h"
#include "app/cli/CliSession.h"
#include "app/cli/StopSignal.h"
#include "common/Clock.h"
#include "common/HostInfo.h"

namespace vela::cli {
namespace {

constexpr const char* kProtocolWords[] = {"rtu", "ascii"};

std::string Duration(double seconds) {
  const long s = std::lround(std::max(0.0, seconds));
  char text[48];
  if (s >= 60) {
    std::snprintf(text, sizeof text, "%ld мин %02ld с", s / 60, s % 60);
  } else {
    std::snprintf(text, sizeof text, "%ld с", s);
  }
  return text;
}

// Done / total, found so far, time left: a bar redrawn in place on a
// terminal, a line every few seconds otherwise.
class TProgress {
 public:
  TProgress(Clock& clock, size_t total)
      : clock_(clock), total_(total), startMs_(clock.MonotonicMs()), terminal_(IsTerminal(2)) {}

  void Show(size_t done, int found, bool force = false) {
    const int64_t now = clock_.MonotonicMs();
    const int64_t every = terminal_ ? 200 : 5000;
    if (!force && now - shownMs_ < every) return;
    shownMs_ = now;
    const double elapsed = static_cast<double>(now - startMs_) / 1000;
    const double left = done ? elapsed / static_cast<double>(done) * (total_ - done) : 0;
    char text[160];
    if (terminal_) {
      constexpr int kWidth = 30;
      const int filled = total_ ? static_cast<int>(kWidth * done / total_) : kWidth;
      std::snprintf(text, sizeof text, "\r[%s%s] %zu/%zu, найдено: %d, осталось %s   ",
                    std::string(static_cast<size_t>(filled), '#').c_str(),
                    std::string(static_cast<size_t>(kWidth - filled), '.').c_str(), done, total_,
                    found, Duration(left).c_str());
    } else {
      std::snprintf(text, sizeof text, "поиск: проверено %zu из %zu, найдено: %d, осталось %s\n",
                    done, total_, found, Duration(left).c_str());
    }
    std::fputs(text, stderr);
    std::fflush(stderr);
    drawn_ = terminal_;
  }

  // Before a line of its own: the bar is wiped.
  void Clear() {
    if (!drawn_) return;
    std::fputs("\r\033[K", stderr);
    drawn_ = false;
  }

  double ElapsedSeconds() const {
    return static_cast<double>(clock_.MonotonicMs() - startMs_) / 1000;
  }

 private:
  Clock& clock_;
  size_t total_;
  int64_t startMs_;
  int64_t shownMs_ = 0;
  bool terminal_;
  bool drawn_ = false;
};

const std::vector<std::string> kFindingColumns = {
    "device", "port", "protocol", "speed", "frame", "address", "serial", "detail", "command"};

}  // namespace

std::string CommandLineFor(const std::string& port, bool rs485, const TLineSetting& setting,
                           const std::string& frameText, int address) {
  std::string line = "  velalink-cli --port " + port;
  if (rs485) {
    line += " --interface rs485 --protocol " + std::string(kProtocolWords[setting.protocol]) +
            " --speed " + std::to_string(setting.baud) + " --frame " + frameText + " --address " +
            std::to_string(address);
  }
  return line + " read";
}

int TCliSession::RunFind() {
  TVelaEngine& f = *engine_;
  quietLog_ = true;
  const TFindOptions& find = options_.commission.find;
  if (!options_.rs485) {
    // The service interface always talks with the factory settings.
    std::fputs(
        "Через интерфейс USB прибор отвечает только по MODBUS RTU, 38400, 8E1, адрес 1: "
        "проверяется только это. Для поиска на линии RS-485 укажите --interface rs485.\n",
        stderr);
  }
  std::vector<TProbePoint> order = SearchOrderFor(options_.rs485, find);
  if (order.empty())
    return Fail(
        "Заданные ограничения --protocols, --speeds и --addresses не оставили ни одного варианта.");

  const std::string port = f.ProgramLink().port;
  TProgress progress(loop_.GetClock(), order.size());
  // --timeout given: the whole search ends after that long.
  const int64_t endMs =
      options_.timeoutGiven
          ? loop_.GetClock().MonotonicMs() + static_cast<int64_t>(options_.timeoutSeconds * 1000)
          : INT64_MAX;
  const auto outOfTime = [&] { return loop_.GetClock().MonotonicMs() >= endMs; };
  TSearchHooks hooks;
  hooks.runUntil = [this](const std::function<bool()>& done, int ms) { loop_.RunUntil(done, ms); };
  hooks.settle = [this] { loop_.ProcessPending(); };
  hooks.stop = [&] { return Stopped() || outOfTime(); };
  TDeviceSearch search(f, std::move(order), options_.rs485, find, hooks);
  std::vector<TRecord> found;  // --format csv, json: printed when the search ends
  search.OnFinding = [&](const TSearchFinding& finding) {
    progress.Clear();
    const TProbePoint& point = finding.point;
    const int baud = point.setting.baud;
    const bool device =
        finding.kind == TFindingKind::Vela || finding.kind == TFindingKind::OtherDevice;
    if (options_.format != TOutputFormat::Text && device) {
      const bool vela = finding.kind == TFindingKind::Vela;
      TRecord record;
      record["device"] = vela ? "vela" : "other";
      record["port"] = port;
      record["protocol"] = finding.protocolText;
      record["speed"] = baud;
      record["frame"] = finding.frameText;
      record["address"] = point.address;
      record["serial"] = vela ? TRecord(finding.serial) : TRecord();
      record["detail"] = TextOrNull(finding.detail);
      const std::string command =
          CommandLineFor(port, options_.rs485, point.setting, finding.frameText, point.address);
      record["command"] =
          vela ? TRecord(command.substr(command.find_first_not_of(' '))) : TRecord();
      found.push_back(std::move(record));
      return;
    }
    switch (finding.kind) {
      case TFindingKind::Vela:
        Print(FoundLine(port, finding.protocolText, baud, finding.frameText, point.address,
                        finding.serial));
        Print(
            CommandLineFor(port, options_.rs485, point.setting, finding.frameText, point.address));
        break;
      case TFindingKind::OtherDevice:
        Print("по адресу " + std::to_string(point.address) + " (" + finding.protocolText + ", " +
              std::to_string(baud) + ", " + finding.frameText +
              ") отвечает не Vela: " + finding.detail);
        break;
      case TFindingKind::NoIdentification:
        std::fprintf(stderr,
                     "По адресу %d (%s, %d, %s) пришёл ответ без идентификации: прибор со "
                     "старым ПО или помеха на линии.\n",
                     point.address, finding.protocolText.c_str(), baud, finding.frameText.c_str());
        break;
      case TFindingKind::SpeedSkipped:
        std::fprintf(stderr, "Скорость %d пропущена: порт её не устанавливает (%s).\n", baud,
                     finding.detail.c_str());
        break;
    }
  };
  search.OnProgress = [&](size_t done, size_t, int found) { progress.Show(done, found); };
  const TSearchEnd end = search.Run();
  if (end == TSearchEnd::PortFailed) {
    progress.Clear();
    return Fail("Порт " + port + " не открывается: " + search.PortFailure());
  }
  const bool timedOut = end == TSearchEnd::Stopped && !Stopped();
  const size_t done = search.Done();
  progress.Show(done, search.Found(), true);
  progress.Clear();
  if (options_.format == TOutputFormat::Json) PrintData(JsonList(found));
  if (options_.format == TOutputFormat::Csv) PrintData(CsvRecords(kFindingColumns, found));
  char summary[200];
  std::snprintf(summary, sizeof summary,
                "Проверено вариантов: %zu из %zu за %s; найдено приборов: %d.\n", done,
                search.Total(), Duration(progress.ElapsedSeconds()).c_str(), search.Found());
  std::fputs(summary, stderr);
  if (Stopped()) return Fail("Поиск прерван пользователем.");
  if (timedOut) {
    char text[160];
    std::snprintf(text, sizeof text, "Поиск не завершился за %g с и прерван.",
                  options_.timeoutSeconds);
    return Fail(text);
  }
  if (search.Found() == 0) {
    return Fail(
        "Прибор Vela не найден. Проверьте подключение линии RS-485 (A, B), питание прибора и "
        "порт; через интерфейс USB прибор всегда отвечает с заводскими настройками.");
  }
  return 0;
}

}  // namespace vela::cli
