// `sync-clock`: the device clock set from the computer's.

#include "app/commission/ReadoutText.h"
#include "app/cli/CliSession.h"

namespace vela::cli {
int TCliSession::RunSyncClock() {
  if (!RunOperation([&] { engine_->Start(TOperationKind::SyncClock); })) return 1;
  if (!Outcome().Succeeded()) {
    return Fail(options_.iec ? "Прибор не подтвердил установку часов."
                             : "Часы прибора не установлены.");
  }
  Print(ClockLine(*engine_));
  return 0;
}

}  // namespace vela::cli
