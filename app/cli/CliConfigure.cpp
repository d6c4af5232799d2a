// `configure --set-…`: the settings given written over the ones read from the
// device; `factory`: the factory settings written. Both end with the
// settings the device now holds.

#include <string>

#include "app/cli/CliReport.h"
#include "app/cli/CliSession.h"

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
  if (!RunOperation([&] { engine_->Start(kind); })) return 1;
  if (!Outcome().Succeeded()) return Fail("Установки не записаны.");
  for (const std::string& line : SettingsLines(*engine_)) Print(line);
  return 0;
}

int TCliSession::RunFactory() {
  Note(FactoryChangeText(nullptr));  // the device's own settings are not read here
  if (!ConfirmChanges("Записать в прибор заводские установки?")) return 1;
  return RunWrite(TOperationKind::WriteFactory);
}

}  // namespace vela::cli
