// `wiring`: one reading, then the wiring check over it: the phasors, the
// angles and the findings. Exit 3 when the check has findings.

#include "app/commission/ReadoutText.h"
#include "app/cli/CliSession.h"
#include "app/commission/WiringFormat.h"
#include "display/WiringAnalysis.h"

namespace vela::cli {

int TCliSession::RunWiring() {
  if (!RunOperation([&] { engine_->Start(TOperationKind::ReadOnce); })) return 1;
  if (!Outcome().Succeeded()) return Fail("Чтение не выполнено.");
  if (!AnyValueShown(*engine_->FCells)) return Fail("Прибор не передал ни одного значения.");
  const TWiringResult result = AnalyseWiring(ValuesOf(*engine_->FCells));
  if (options_.format == TOutputFormat::Json) {
    PrintData(WiringJson(result));
  } else {
    for (const std::string& line : WiringLines(result)) Print(line);
  }
  return result.findings.empty() ? 0 : kWiringFindingsExit;
}

}  // namespace vela::cli
