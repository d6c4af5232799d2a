// Settings profiles: `settings --save FILE` writes the device-side settings
// the settings read put into the window as JSON; `configure --from FILE`
// checks a profile against the window's lists, shows what would change,
// writes it with the window's write operation and reads it back.

#include <cstdio>
#include <iostream>
#include <optional>

#include "app/Messages.h"
#include "app/cli/CliSession.h"
#include "app/commission/SettingsProfile.h"
#include "common/HostInfo.h"
#include "common/SafeFile.h"

namespace vela::cli {

int TCliSession::SaveProfile() {
  const std::string profile = ProfileText(*engine_);
  const std::string& fileName = options_.commission.saveFile;
  if (fileName == kToStandardOutput) {
    PrintData(profile);
    return outputFailed_ ? 1 : 0;
  }
  if (!WriteWholeFile(fileName, profile).Ok())
    return Fail("Профиль не записан в файл " + fileName + ": проверьте путь и права.");
  Print("Профиль сохранён: " + fileName);
  return 0;
}

bool TCliSession::ConfirmChanges(const std::string& question) {
  if (options_.commission.yes) return true;
  if (!IsTerminal(0)) {
    Fail(
        "Нет терминала, чтобы подтвердить запись; ничего не записано. Чтобы записать без "
        "вопроса, добавьте --yes.");
    return false;
  }
  std::fputs((question + " [д/Н] ").c_str(), stdout);
  std::fflush(stdout);
  std::string answer;
  std::getline(std::cin, answer);
  if (answer == "д" || answer == "Д" || answer == "да" || answer == "y" || answer == "yes") {
    return true;
  }
  Fail("Запись отменена; ничего не записано.");
  return false;
}

// Over the working interface the device now talks with what was written:
// the program follows, so that the settings can be read back.
bool TCliSession::FollowWrittenLink() {
  TVelaEngine& f = *engine_;
  const TDeviceSettingsModel written = f.DeviceSettings();
  if (written.protocol == 2) {
    Fail(
        "Установки записаны; прибор теперь работает по IEC 60870-5-101, поэтому прочитать их "
        "обратно по MODBUS нельзя: проверьте их командой settings через интерфейс USB.");
    return false;
  }
  f.SetProgramProtocol(written.protocol);
  f.SetProgramSpeed(IndexOfText(kProgramSpeeds, written.SpeedText()));
  f.SetProgramFrame(written.frame);
  if (written.address >= 1) f.SetProgramAddress(written.address);
  return true;
}

int TCliSession::RunConfigureFromProfile() {
  TVelaEngine& f = *engine_;
  const std::string& fileName = options_.commission.profileFile;
  std::optional<TSettingsProfile> profile;
  try {
    profile = TSettingsProfile::FromFile(fileName, f);
  } catch (const std::exception& e) {
    return Fail("Профиль " + fileName + ": " + e.what() + ". Ничего не записано.");
  }
  if (!RunOperation([&] { f.Start(TOperationKind::ReadSettings); })) return 1;
  if (!Outcome().Succeeded() || !Outcome().settings) {
    return Fail("Установки прибора не прочитаны; запись не выполнялась.");
  }
  try {
    profile->CheckFrameFitsProtocol(f);
  } catch (const std::exception& e) {
    return Fail("Профиль " + fileName + ": " + e.what() + ". Ничего не записано.");
  }
  const std::vector<TProfileDifference> changes = profile->Differences(f);
  if (changes.empty()) {
    Print("Установки прибора уже совпадают с профилем; ничего не записано.");
    return 0;
  }
  Print("Изменится (поле: сейчас -> будет):");
  for (const TProfileDifference& change : changes) {
    Print("  " + change.key + ": " + change.device + " -> " + change.profile);
  }
  if (!ConfirmChanges("Записать эти установки в прибор?")) return 1;
  profile->ApplyTo(f);
  const int written = RunWrite(TOperationKind::WriteSettings);
  if (written != 0) return written;
  if (options_.rs485 && !FollowWrittenLink()) return 1;
  if (!RunOperation([&] { f.Start(TOperationKind::ReadSettings); })) return 1;
  if (!Outcome().Succeeded() || !Outcome().settings) {
    return Fail("Установки записаны, но не прочитаны обратно: проверьте их командой settings.");
  }
  std::string differing;
  for (const TProfileDifference& left : profile->Differences(f)) {
    differing += "\n  " + left.key + ": в профиле " + left.profile + ", в приборе " + left.device;
  }
  if (!differing.empty()) {
    return Fail("Прочитанные обратно установки не совпадают с профилем:" + differing);
  }
  Print("Установки записаны и проверены чтением.");
  return 0;
}

}  // namespace vela::cli
