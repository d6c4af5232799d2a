// `verify`: the identification report of the program and the device.

#include "app/cli/CliSession.h"

namespace vela::cli {
int TCliSession::RunVerify() {
  if (!RunOperation([&] { engine_->Start(TOperationKind::Identification); })) return 1;
  const TOperationOutcome& outcome = Outcome();
  if (!outcome.Succeeded() || !outcome.identification || !outcome.identification->verified) {
    return Fail("Верификация не выполнена.");
  }
  return 0;
}

}  // namespace vela::cli
