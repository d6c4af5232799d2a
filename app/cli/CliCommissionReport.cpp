#include "app/cli/CliSession.h"
namespace vela::cli {
int TCliSession::RunReport() {
  return 1;
}
}  // namespace vela::cli
