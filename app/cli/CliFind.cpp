// `find`: looks for Vela devices on a line by sending the identification
// read with every protocol, speed, frame and address in turn, through the
// main window's own operation (TForm1::ProbeIdentification).

#include "app/cli/CliFind.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "app/DeviceIdentification.h"
#include "app/cli/CliSession.h"
#include "app/cli/StopSignal.h"
#include "common/Clock.h"
#include "common/HostInfo.h"
#include "modbus/ModbusBlockOps.h"

namespace vela::cli {
namespace {

constexpr int kFactoryBaud = 38400;
// Speeds by how often installations use them; frames even, none, odd.
constexpr int kSpeedPreference[] = {38400, 9600, 19200, 115200, 57600, 230400, 76800};
constexpr int kFramePreference[] = {0, 2, 1};
constexpr const char* kProtocolWords[] = {"rtu", "ascii"};

bool Contains(const std::vector<int>& list, int value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

std::vector<int> CommonAddresses() {
  std::vector<int> order;
  for (int a = 2; a <= 10; ++a) order.push_back(a);
  order.push_back(247);
  for (int a = 20; a <= 240; a += 10) order.push_back(a);
  for (int a = 11; a <= 32; ++a) order.push_back(a);
  for (int a = 1; a <= 247; ++a) order.push_back(a);  // the rest; repeats are dropped
  return order;
}

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

}  // namespace

std::vector<TProbePoint> SearchOrder(const TFindOptions& options,
                                     const std::vector<int>& deviceSpeeds) {
  std::vector<TLineSetting> settings;
  for (int protocol : {0, 1}) {
    if (!options.protocols.empty() && !Contains(options.protocols, protocol)) continue;
    for (int baud : kSpeedPreference) {
      if (!Contains(deviceSpeeds, baud)) continue;
      if (!options.speeds.empty() && !Contains(options.speeds, baud)) continue;
      for (int frame : kFramePreference) settings.push_back({protocol, baud, frame});
    }
  }
  const auto wanted = [&](int address) {
    return options.addresses.empty() || Contains(options.addresses, address);
  };
  std::vector<TProbePoint> order;
  const TLineSetting factory{0, kFactoryBaud, 0};
  if (wanted(1) && std::find(settings.begin(), settings.end(), factory) != settings.end()) {
    order.push_back({factory, 1});
  }
  std::set<int> addressesDone;
  std::vector<int> addresses = {1};
  for (int a : CommonAddresses()) addresses.push_back(a);
  for (int address : addresses) {
    if (!wanted(address) || !addressesDone.insert(address).second) continue;
    for (const TLineSetting& s : settings) {
      if (address == 1 && s == factory) continue;
      order.push_back({s, address});
    }
  }
  return order;
}

int ProbeTimeoutMs(const TLineSetting& setting, int requestOctets, int answerOctets, bool portGap) {
  // Start bit, data bits, then a parity bit and one stop bit or two stop bits.
  const int bitsPerOctet = 1 + (setting.protocol == 1 ? 7 : 8) + 2;
  const double octetMs = 1000.0 * bitsPerOctet / setting.baud;
  const double wireMs = octetMs * (requestOctets + 3.5 + answerOctets);
  return static_cast<int>(std::ceil(wireMs)) + kDeviceAnswerMs + (portGap ? kPortGapMs : 0) +
         kSchedulingMarginMs;
}

std::string FoundLine(const std::string& port, const std::string& protocolName, int baud,
                      const std::string& frameText, int address, unsigned serial) {
  char text[256];
  std::snprintf(text, sizeof text,
                "найден прибор: порт %s, протокол %s, скорость %d, формат %s, адрес %d, "
                "серийный номер %.6u",
                port.c_str(), protocolName.c_str(), baud, frameText.c_str(), address, serial);
  return text;
}

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
  std::vector<int> deviceSpeeds;
  for (const std::string& speed : kDeviceSpeeds) deviceSpeeds.push_back(std::stoi(speed));
  std::vector<TProbePoint> order;
  if (options_.rs485) {
    order = SearchOrder(find, deviceSpeeds);
  } else {
    // The service interface always talks with the factory settings.
    std::fputs(
        "Через интерфейс USB прибор отвечает только по MODBUS RTU, 38400, 8E1, адрес 1: "
        "проверяется только это. Для поиска на линии RS-485 укажите --interface rs485.\n",
        stderr);
    order.push_back({{0, kFactoryBaud, 0}, 1});
  }
  if (order.empty())
    return Fail(
        "Заданные ограничения --protocols, --speeds и --addresses не оставили ни одного варианта.");

  const std::string port = f.ProgramLink().port;
  TProgress progress(loop_.GetClock(), order.size());
  std::set<int> unusableSpeeds;
  std::set<std::pair<int, unsigned>> found;  // address, serial number
  bool anyStarted = false;
  size_t done = 0;
  // --timeout given: the whole search ends after that long.
  const int64_t endMs =
      options_.timeoutGiven
          ? loop_.GetClock().MonotonicMs() + static_cast<int64_t>(options_.timeoutSeconds * 1000)
          : INT64_MAX;
  const auto outOfTime = [&] { return loop_.GetClock().MonotonicMs() >= endMs; };
  bool timedOut = false;

  // One probe at the link already set; false when the port did not open.
  const auto probe = [&](int timeoutMs, bool& answered) {
    answersSeen_ = 0;
    lastLogLine_.clear();
    if (!f.ProbeIdentification(timeoutMs)) return false;
    const int guardMs = (timeoutMs > 0 ? timeoutMs : f.FDevInfo->Timeout) + 2000;
    loop_.RunUntil([&] { return !f.Busy() || Stopped() || outOfTime(); }, guardMs);
    if (f.Busy()) {
      f.CancelOperation();
      loop_.ProcessPending();
    }
    answered = answersSeen_ > 0;
    return true;
  };

  for (const TProbePoint& point : order) {
    if (Stopped()) break;
    if (outOfTime()) {
      timedOut = true;
      break;
    }
    ++done;
    const TLineSetting& s = point.setting;
    if (unusableSpeeds.count(s.baud)) continue;
    if (options_.rs485) {
      f.SetProgramProtocol(s.protocol);
      f.SetProgramSpeed(IndexOfText(kProgramSpeeds, std::to_string(s.baud)));
      f.SetProgramFrame(s.frame);
      f.SetProgramAddress(point.address);
    }
    const int requestOctets = static_cast<int>(RequestValues(*f.FPacker, *f.FDevInfo).size());
    const int answerOctets =
        f.FPacker->ExpectedReadLength(static_cast<int>(f.FDevInfo->Registers.size()));
    const int timeoutMs = find.probeTimeoutMs > 0 ? find.probeTimeoutMs
                                                  : ProbeTimeoutMs(s, requestOctets, answerOctets);
    bool answered = false;
    if (!probe(timeoutMs, answered)) {
      const std::string reason =
          lastLogLine_.empty() ? std::string("порт не открывается") : lastLogLine_;
      progress.Clear();
      if (!anyStarted) return Fail("Порт " + port + " не открывается: " + reason);
      std::fprintf(stderr, "Скорость %d пропущена: порт её не устанавливает (%s).\n", s.baud,
                   reason.c_str());
      unusableSpeeds.insert(s.baud);
      continue;
    }
    anyStarted = true;
    // A garbled answer at a near-miss setting, or a slow device: once more
    // with the block's full time-out before the point is written off.
    if (!f.FDevInfoRead && answered && !Stopped()) probe(0, answered);
    const TProgramLink& link = f.ProgramLink();
    const std::string frameText = link.FrameText();
    const std::string protocolText = link.ProtocolText();
    if (f.FDevInfoRead) {
      const uint32_t hid = f.FDevInfo->GetHID();
      const uint32_t serial = f.FDevInfo->GetSerial();
      progress.Clear();
      if ((hid & 0xFFFFFF00u) != kVelaHardwareCode) {
        const TIdentResult other = IdentifyDevice(hid, f.FDevInfo->GetSID(), serial);
        Print("по адресу " + std::to_string(point.address) + " (" + protocolText + ", " +
              std::to_string(s.baud) + ", " + frameText +
              ") отвечает не Vela: " + (other.lines.empty() ? std::string() : other.lines.front()));
      } else if (found.insert({point.address, serial}).second) {
        Print(FoundLine(port, protocolText, s.baud, frameText, point.address, serial));
        Print(CommandLineFor(port, options_.rs485, s, frameText, point.address));
        if (!find.all) break;
      }
    } else if (answered) {
      progress.Clear();
      std::fprintf(stderr,
                   "По адресу %d (%s, %d, %s) пришёл ответ без идентификации: прибор со старым "
                   "ПО или помеха на линии.\n",
                   point.address, protocolText.c_str(), s.baud, frameText.c_str());
    }
    progress.Show(done, static_cast<int>(found.size()));
  }
  progress.Show(done, static_cast<int>(found.size()), true);
  progress.Clear();
  char summary[200];
  std::snprintf(summary, sizeof summary,
                "Проверено вариантов: %zu из %zu за %s; найдено приборов: %zu.\n", done,
                order.size(), Duration(progress.ElapsedSeconds()).c_str(), found.size());
  std::fputs(summary, stderr);
  if (Stopped()) return Fail("Поиск прерван пользователем.");
  if (timedOut) {
    char text[160];
    std::snprintf(text, sizeof text, "Поиск не завершился за %g с и прерван.",
                  options_.timeoutSeconds);
    return Fail(text);
  }
  if (found.empty()) {
    return Fail(
        "Прибор Vela не найден. Проверьте подключение линии RS-485 (A, B), питание прибора и "
        "порт; через интерфейс USB прибор всегда отвечает с заводскими настройками.");
  }
  return 0;
}

}  // namespace vela::cli
