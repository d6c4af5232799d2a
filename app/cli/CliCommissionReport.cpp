// `report --out FILE`: the commissioning report. One read-once operation
// of the window gives everything the report holds (CommissionReport).

#include "app/cli/CliSession.h"
#include "app/commission/CommissionReport.h"

namespace vela::cli {

int TCliSession::RunReport() {
  TVelaEngine& f = *engine_;
  if (!RunOperation([&] { f.Start(TOperationKind::ReadOnce); })) return 1;
  if (!Outcome().Succeeded()) return Fail("Прибор не прочитан; отчёт не составлен.");
  TReportFacts facts;
  try {
    facts = FactsOfThisComputer(loop_.GetClock().Now(), "VelaLink (velalink-cli)", options_.rs485);
  } catch (const std::exception& e) {
    return Fail(e.what());
  }
  const std::string& fileName = options_.commission.reportFile;
  if (fileName == kToStandardOutput) {
    PrintData(RenderMarkdown(CommissionReport(f, facts)));
    return outputFailed_ ? 1 : 0;
  }
  if (!WriteReport(fileName, CommissionReport(f, facts))) {
    return Fail("Отчёт не записан в файл " + fileName + ": проверьте путь и права.");
  }
  Print("Отчёт записан: " + fileName);
  return 0;
}

}  // namespace vela::cli
