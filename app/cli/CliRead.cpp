// `read`: one reading, its values and the device clock on standard output.

#include "app/commission/ReadoutText.h"
#include "app/cli/CliSession.h"
#include "app/cli/ReadingFormat.h"

namespace vela::cli {
int TCliSession::RunRead() {
  if (!RunOperation([&] { engine_->Start(TOperationKind::ReadOnce); })) return 1;
  if (!Outcome().Succeeded()) return Fail("Чтение не выполнено.");
  const std::vector<std::string> cells = CellLines(*engine_->FCells, IecTags());
  if (options_.iec && cells.empty()) return Fail("Прибор не передал значений.");
  if (options_.format != TOutputFormat::Text) {
    PrintData(ReadingHeader(options_.format, *engine_->FCells) +
              ReadingLine(options_.format, *engine_->FCells, ReadingTimeNow(), IecTags()));
    return 0;
  }
  for (const std::string& line : cells) Print(line);
  const std::string clock = ClockLine(*engine_);
  if (!clock.empty()) Print(clock);
  return AnyValueShown(*engine_->FCells) ? 0 : Fail("Прибор не передал ни одного значения.");
}

}  // namespace vela::cli
