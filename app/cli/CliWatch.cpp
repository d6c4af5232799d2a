// `watch`: continuous reading, a line per reading as it comes (or the CSV
// recording itself), riding through a lost port, with --stats at the end.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>

#include "app/cli/CliSession.h"
#include "app/cli/ReadingFormat.h"
#include "common/ProcessResources.h"
#include "display/CsvRecorder.h"

namespace vela::cli {
namespace {

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

}  // namespace

void TCliSession::PrintEachReading() {
  TVelaEngine& f = *engine_;
  if (options_.csvFile == kCsvToStandardOutput) {
    // The recording itself, byte for byte as in a file, on standard output.
    auto recorder = std::make_shared<TCsvRecorder>(*f.FCells, loop_.GetClock());
    PrintData(TCsvRecorder::Header());
    f.OnReadingComplete = [this, recorder] { PrintData(recorder->Record(loop_.GetClock().Now())); };
    return;
  }
  PrintData(ReadingHeader(options_.format, *f.FCells));
  f.OnReadingComplete = [this] {
    PrintData(ReadingLine(options_.format, *engine_->FCells, ReadingTimeNow(), IecTags()));
  };
}

int TCliSession::RunWatch() {
  TVelaEngine& f = *engine_;
  PrintEachReading();
  if (!options_.csvFile.empty() && options_.csvFile != kCsvToStandardOutput) {
    f.StartRecording(options_.csvFile);
    if (!f.Recording()) return Fail("Запись в файл не начата.");
  }
  f.Start(TOperationKind::Continuous);
  TExchangeStats earlier;                  // of the readings before each outage
  std::optional<TProcessResources> early;  // after the first exchanges
  Clock& clock = loop_.GetClock();
  // --timeout given: watch ends when no reading came for that long.
  const int64_t silenceMs = static_cast<int64_t>(options_.timeoutSeconds * 1000);
  int64_t readingsSeen = 0;
  int64_t lastReadingMs = clock.MonotonicMs();
  const auto silenceEndMs = [&] {
    const int64_t readings = earlier.Figures().readings + f.FExchangeStats.Figures().readings;
    if (readings != readingsSeen) {
      readingsSeen = readings;
      lastReadingMs = clock.MonotonicMs();
    }
    return options_.timeoutGiven ? lastReadingMs + silenceMs : INT64_MAX;
  };
  const auto done = [&] {
    const int64_t exchanges = earlier.Exchanges() + f.FExchangeStats.Exchanges();
    if (!early && exchanges >= kEarlyExchanges) early = SampleProcessResources();
    return !f.ContinuousRunning() || Stopped() ||
           (options_.exchanges > 0 && exchanges >= options_.exchanges) ||
           clock.MonotonicMs() >= silenceEndMs();
  };
  const int64_t deadlineMs =
      options_.seconds > 0 ? clock.MonotonicMs() + static_cast<int64_t>(options_.seconds * 1000)
                           : INT64_MAX;
  bool silent = false;
  for (;;) {
    const int64_t endMs = std::min(deadlineMs, silenceEndMs());
    const int64_t leftMs = endMs - clock.MonotonicMs();
    if (leftMs <= 0 || loop_.RunUntil(done, std::min<int64_t>(leftMs, 3600 * 1000))) {
      silent = clock.MonotonicMs() >= silenceEndMs();
      if (silent || f.ContinuousRunning() || Stopped() || !f.FPortFailed) break;
      earlier.Add(f.FExchangeStats);
      if (!RideThroughPortLoss(std::min(deadlineMs, silenceEndMs()))) {
        silent = clock.MonotonicMs() >= silenceEndMs();
        break;
      }
    } else if (endMs != INT64_MAX && clock.MonotonicMs() >= endMs) {
      silent = clock.MonotonicMs() >= silenceEndMs();
      break;
    }
  }
  const TProcessResources last = SampleProcessResources();  // before the port closes
  f.FExchangeStats.Add(earlier);
  const bool endedByItself = !f.ContinuousRunning() && !Stopped() && !f.FPortFailed;
  if (f.ContinuousRunning()) f.ToggleContinuousReading();  // "Остановлено.", the port is closed
  loop_.ProcessPending();
  if (f.Recording()) f.StopRecording();
  f.OnReadingComplete = nullptr;
  if (options_.stats) {
    // The cycle figures come from the MODBUS job lines of the trace; an IEC
    // reading is one exchange, and the exchange figures tell it all.
    if (!options_.iec) {
      const TCycleFigures c = cycles_.Figures();
      char text[256];
      std::snprintf(text, sizeof text,
                    "Циклов чтения: %d; среднее время цикла: %.1f мс; обменов за цикл: %d; "
                    "октетов за цикл: запросы %lld, ответы %lld",
                    c.cycles, c.meanCycleMs, c.exchangesPerCycle,
                    static_cast<long long>(c.octetsWritten), static_cast<long long>(c.octetsRead));
      Note(text);
    }
    Note(f.FExchangeStats.Text());
    Note(ResourcesText(early, last));
  }
  if (silent) {
    char text[160];
    std::snprintf(text, sizeof text, "За %g с не прочитано ни одного показания: чтение прервано.",
                  options_.timeoutSeconds);
    return Fail(text);
  }
  if (endedByItself) return Fail("Непрерывное чтение остановлено.");
  if (f.FExchangeStats.Figures().readings == 0) {
    return Fail("Ни одного показания не прочитано: проверьте связь с прибором.");
  }
  return 0;
}

}  // namespace vela::cli
