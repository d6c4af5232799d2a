// `read`: one reading, its values and the device clock on standard output.

#include "app/cli/CliReport.h"
#include "app/cli/CliSession.h"
#include "app/cli/ReadingFormat.h"

namespace vela::cli {
int TCliSession::RunRead() {
  if (!RunOperation([&] { form_->Start(TOperationKind::ReadOnce); })) return 1;
  if (!Outcome().Succeeded()) return Fail("Чтение не выполнено.");
  const std::vector<std::string> cells = CellLines(*form_->FCells);
  if (options_.iec && cells.empty()) return Fail("Прибор не передал значений.");
  if (options_.format != TOutputFormat::Text) {
    PrintData(ReadingHeader(options_.format, *form_->FCells) +
              ReadingLine(options_.format, *form_->FCells, ReadingTimeNow()));
    return 0;
  }
  for (const std::string& line : cells) Print(line);
  const std::string clock = ClockLine(*form_);
  if (!clock.empty()) Print(clock);
  return AnyValueShown(*form_->FCells) ? 0 : Fail("Прибор не передал ни одного значения.");
}

}  // namespace vela::cli
