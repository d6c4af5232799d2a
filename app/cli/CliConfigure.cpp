// `configure --set-…`: the settings given written over the ones read from the
// device; `factory`: the factory settings written. Both end with the
// settings the device now holds.

#include <string>

#include "app/commission/ReadoutText.h"
#include "app/cli/CliSession.h"
#include "app/cli/WriteReportFormat.h"

namespace vela::cli {
int TCliSession::RunConfigure() {
  if (!options_.commission.profileFile.empty()) return RunConfigureFromProfile();
  // What is not given keeps the device's own value: read them first.
  if (!RunOperation([&] { engine_->Start(TOperationKind::ReadSettings); })) return 1;
  if (!Outcome().Succeeded() || !Outcome().settings) {
    return Fail("Установки прибора не прочитаны; запись не выполнялась.");
  }
  if (!ApplyDeviceSettings()) return 2;
  return RunWrite(TOperationKind::WriteSettings);
}

bool TCliSession::ApplyDeviceSettings() {
  TVelaEngine& f = *engine_;
  const TDeviceSettings& s = options_.set;
  TDeviceSettingsModel settings = f.DeviceSettings();
  if (s.protocol) settings.protocol = *s.protocol;
  if (s.frame) {
    const bool ascii = settings.protocol == 1;
    if (s.frameDataBits != (ascii ? 7 : 8)) {
      Fail(std::string("Формат --set-frame не подходит к протоколу прибора ") +
           settings.ProtocolText() + ": нужно " + (ascii ? "7" : "8") + " бит данных.");
      return false;
    }
    settings.frame = *s.frame;
  }
  if (s.speed) {
    if (const int index = IndexOfText(kDeviceSpeeds, *s.speed); index >= 0) {
      settings.speedIndex = index;
    }
  }
  if (s.address) settings.address = *s.address;
  if (s.threeWire) settings.threeWire = *s.threeWire;
  f.SetDeviceSettings(settings);
  return true;
}

int TCliSession::RunWrite(TOperationKind kind) {
  const bool ended = RunOperation([&] { engine_->Start(kind); });
  const TOperationOutcome& outcome = Outcome();
  const bool json = options_.format == TOutputFormat::Json;
  if (ended && outcome.Succeeded()) {
    if (json) {
      Print(WriteResultJson(outcome));
    } else {
      for (const std::string& line : SettingsLines(*engine_)) Print(line);
    }
    return 0;
  }
  if (outcome.kind != kind) return ended ? Fail("Установки не записаны.") : 1;
  // Block by block, so nobody takes a half-done write for none.
  if (json) {
    Print(WriteResultJson(outcome));
  } else if (outcome.write) {
    for (const std::string& line : WriteReportLines(*outcome.write)) Print(line);
  }
  if (!ended) return 1;  // the interruption is said already
  return Fail(outcome.write && outcome.write->Partial()
                  ? "Установки записаны не полностью: см. состояние блоков; прочитайте установки "
                    "(settings) и повторите запись."
                  : "Установки не записаны.");
}

int TCliSession::RunFactory() {
  Note(FactoryChangeText(nullptr));  // the device's own settings are not read here
  if (!ConfirmChanges("Записать в прибор заводские установки?")) return 1;
  return RunWrite(TOperationKind::WriteFactory);
}

}  // namespace vela::cli
