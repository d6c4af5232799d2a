// watch through a lost port: an adapter pulled out and plugged back, a
// device restarted. The recording file stays open for records; the same port
// name is reopened with the same program-side settings.

#include <algorithm>

#include "app/PortOutage.h"
#include "app/cli/CliSession.h"
#include "serial/PortNames.h"

namespace vela::cli {
namespace {

constexpr int64_t kPollMs = 250;

}  // namespace

bool TCliSession::RideThroughPortLoss(int64_t deadlineMs) {
  TVelaEngine& f = *engine_;
  Clock& clock = loop_.GetClock();
  const std::string port = f.ProgramLink().port;
  const int64_t lostMs = clock.MonotonicMs();
  Note(PortLostText(port, clock.Now()) +
       "; запись в файл сохраняется, ожидание возвращения порта (Ctrl+C — завершить)...");
  for (;;) {
    const int64_t waitMs = std::min(kPollMs, deadlineMs - clock.MonotonicMs());
    if (waitMs <= 0) return false;
    loop_.RunUntil([&] { return Stopped(); }, waitMs);
    if (Stopped()) return false;
    const std::vector<std::string> present = EnumComPorts();
    if (std::find(present.begin(), present.end(), port) == present.end()) continue;
    f.Start(TOperationKind::Continuous);   // the same port and settings as before the loss
    if (!f.ContinuousRunning()) continue;  // not ready yet: still out
    Note(PortBackText(port, clock.Now(), clock.MonotonicMs() - lostMs) +
         "; непрерывное чтение продолжено.");
    return true;
  }
}

}  // namespace vela::cli
