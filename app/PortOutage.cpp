// The engine waits out a lost port: while continuous reading ran, the port
// itself failed; the same port is looked for among those present, reopened
// with the same settings, and continuous reading resumes.

#include "app/PortOutage.h"

#include <algorithm>
#include <cstdio>

#include "app/Engine.h"
#include "app/IecWorkflows.h"
#include "serial/PortNames.h"

namespace vela {

std::string PortLostText(const std::string& port, TDateTime at) {
  return "Порт " + port + " потерян в " + TimeOfDayText(at);
}

std::string PortBackText(const std::string& port, TDateTime at, int64_t outageMs) {
  char length[32];
  std::snprintf(length, sizeof length, "%.1f", static_cast<double>(outageMs) / 1000.0);
  return "Порт " + port + " снова доступен в " + TimeOfDayText(at) + ", перерыв " + length + " с";
}

bool TVelaEngine::ResumeContinuousReading() {
  if (FContinuousRunning || FBusy) return FContinuousRunning;
  FExchangeStats.Reset();
  FRecord.Begin(TOperationKind::Continuous, InIecMode());
  if (FIec) {
    FIec->StartContinuous(true);
  } else if (StartOperation(joblists::kReadContinuously, true) && FBusy) {
    SetContinuousRunning(true);
  }
  return FContinuousRunning;
}

void TVelaEngine::BeginPortOutage() {
  FOutage = TPortOutageState{FLink.port, FSeams.clock.MonotonicMs()};
  Log(PortLostText(FLink.port, FSeams.clock.Now()) +
      "; показания скрыты, ожидание возвращения порта (ESC — прекратить)...");
  if (!FOutageTimer) {
    FOutageTimer = FSeams.timers.CreateTimer();
    FOutageTimer->OnTimer = Guarded(&TVelaEngine::PortOutageTick);
  }
  FOutageTimer->SetInterval(kPortOutagePollMs);
  FOutageTimer->SetEnabled(true);
}

void TVelaEngine::PortOutageTick() {
  if (!FOutage) return;
  if (FBusy) {  // the operator started something else: the wait is over
    EndPortOutage(false);
    return;
  }
  std::vector<std::string> present;
  try {
    present = FSeams.presentPorts ? FSeams.presentPorts() : EnumComPorts();
  } catch (const std::exception&) {
    return;  // no list now: look again at the next tick
  }
  if (std::find(present.begin(), present.end(), FOutage->port) == present.end()) return;
  const TPortOutageState outage = *FOutage;
  FOutageTimer->SetEnabled(false);
  FOutage.reset();
  if (!ResumeContinuousReading()) {
    // Listed but not ready yet (the node still settling): wait on.
    FOutage = outage;
    FOutageTimer->SetEnabled(true);
    return;
  }
  Log(PortBackText(outage.port, FSeams.clock.Now(), FSeams.clock.MonotonicMs() - outage.lostMs) +
      "; непрерывное чтение продолжено.");
}

void TVelaEngine::EndPortOutage(bool say) {
  if (!FOutage) return;
  if (say) Log("Ожидание порта " + FOutage->port + " прекращено.");
  FOutage.reset();
  if (FOutageTimer) FOutageTimer->SetEnabled(false);
}

}  // namespace vela
