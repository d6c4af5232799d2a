// `settings`: the device's interface settings and network type, and with
// --save a profile of them.

#include "app/commission/ReadoutText.h"
#include "app/cli/CliSession.h"

namespace vela::cli {
int TCliSession::RunSettings() {
  if (!RunOperation([&] { engine_->Start(TOperationKind::ReadSettings); })) return 1;
  if (!Outcome().Succeeded() || !Outcome().settings) {
    return Fail("Установки прибора не прочитаны.");
  }
  // With --save - the profile alone is the data on standard output.
  if (options_.commission.saveFile == kToStandardOutput) return SaveProfile();
  for (const std::string& line : SettingsLines(*engine_)) Print(line);
  return options_.commission.saveFile.empty() ? 0 : SaveProfile();
}

}  // namespace vela::cli
