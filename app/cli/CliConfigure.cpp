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
  if (!RunOperation([&] { form_->Start(TOperationKind::ReadSettings); })) return 1;
  if (!Outcome().Succeeded() || !Outcome().settings) {
    return Fail("Установки прибора не прочитаны; запись не выполнялась.");
  }
  if (!ApplyDeviceSettings()) return 2;
  return RunWrite(TOperationKind::WriteSettings);
}

bool TCliSession::ApplyDeviceSettings() {
  TForm1& f = *form_;
  const TDeviceSettings& s = options_.set;
  if (s.protocol) f.ChooseDeviceProtocol(*s.protocol);
  if (s.frame) {
    const bool ascii = f.DeviceSettingsShown().protocol == 1;
    if (s.frameDataBits != (ascii ? 7 : 8)) {
      Fail(std::string("Формат --set-frame не подходит к протоколу прибора ") +
           f.DeviceSettingsShown().protocolText + ": нужно " + (ascii ? "7" : "8") +
           " бит данных.");
      return false;
    }
    f.ChooseDeviceFrame(*s.frame);
  }
  if (s.speed) f.ChooseDeviceSpeed(*s.speed);
  if (s.address) f.ChooseDeviceAddress(*s.address);
  if (s.threeWire) f.ChooseNetwork(*s.threeWire);
  return true;
}

int TCliSession::RunWrite(TOperationKind kind) {
  if (!RunOperation([&] { form_->Start(kind); })) return 1;
  if (!Outcome().Succeeded()) return Fail("Установки не записаны.");
  for (const std::string& line : SettingsLines(*form_)) Print(line);
  return 0;
}

}  // namespace vela::cli
