// `report --out FILE`: the commissioning report. One read-once operation
// of the window gives everything the report holds (CommissionReport). What
// is printed is a summary: the file written; with --format csv or json also
// the device's serial number, how many values were read and how many
// findings the wiring check made (null without values).

#include "app/cli/CliRecords.h"
#include "app/cli/CliSession.h"
#include "app/commission/CommissionReport.h"
#include "display/WiringAnalysis.h"

namespace vela::cli {
namespace {

const std::vector<std::string> kSummaryColumns = {"file", "document", "serial", "values",
                                                  "wiring_findings"};

TRecord ReportSummary(const TVelaEngine& f, const std::string& fileName) {
  const bool markdown = fileName.size() > 3 && fileName.compare(fileName.size() - 3, 3, ".md") == 0;
  int values = 0;
  for (int slot = 0; slot < kSlotCount; ++slot) values += (*f.FCells)[slot].State() == cvsValue;
  TRecord summary;
  summary["file"] = fileName;
  summary["document"] = markdown ? "markdown" : "html";
  summary["serial"] = f.FDevInfoRead ? TRecord(f.FDevInfo->GetSerial()) : TRecord();
  summary["values"] = values;
  summary["wiring_findings"] =
      values > 0 ? TRecord(AnalyseWiring(ValuesOf(*f.FCells)).findings.size()) : TRecord();
  return summary;
}

}  // namespace

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
  switch (options_.format) {
    case TOutputFormat::Text:
      Print("Отчёт записан: " + fileName);
      break;
    case TOutputFormat::Csv:
      PrintData(CsvRecords(kSummaryColumns, {ReportSummary(f, fileName)}));
      break;
    case TOutputFormat::Json:
      PrintData(JsonLine(ReportSummary(f, fileName)));
      break;
  }
  return 0;
}

}  // namespace vela::cli
