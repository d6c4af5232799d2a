#include "app/cli/ReadingFormat.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <nlohmann/json.hpp>

#include "app/commission/ReadoutText.h"
#include "common/DateTime.h"
#include "common/LocalTime.h"
#include "display/RegionalSettings.h"

namespace vela::cli {
namespace {

// Numbers for scripts: the cell's own decimals, always with '.'.
const TRegionalSettings& ScriptNumbers() {
  static const TRegionalSettings point = [] {
    TRegionalSettings s;
    s.DecimalSeparator = '.';
    return s;
  }();
  return point;
}

// Escaped by nlohmann; an octet that is not UTF-8 becomes U+FFFD.
std::string JsonString(const std::string& text) {
  return nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// The field of one cell: the number, the mark, or nothing.
std::string CsvField(const TClrValue& cell) {
  if (cell.State() == cvsValue) return FormatFixed(cell.Value(), cell.Format(), ScriptNumbers());
  if (cell.State() == cvsEmpty || cell.State() == cvsNone) return "";
  return cell.GetText();
}

// The tag's text with 'T' between date and time.
std::string IsoTagTime(std::string text) {
  constexpr size_t kDateLength = 10;  // "2026-02-01"
  if (text.size() > kDateLength && text[kDateLength] == ' ') text[kDateLength] = 'T';
  return text;
}

std::string JsonCell(const TClrValue& cell, const TValueTag& tag) {
  std::string value = "null", quality = "null";
  // JSON has no infinity or NaN: such a value is written as null.
  if (cell.State() == cvsValue && std::isfinite(cell.Value())) {
    value = FormatFixed(cell.Value(), cell.Format(), ScriptNumbers());
  }
  if (*QualityMarkText(cell.State()) != '\0') quality = JsonString(cell.GetText());
  if (cell.State() == cvsNone && tag.invalid) quality = JsonString(QualityMarkText(cvsInvalid));
  std::string text = JsonString(cell.Name()) + ":{\"value\":" + value +
                     ",\"unit\":" + JsonString(cell.Unit()) + ",\"quality\":" + quality;
  if (cell.Missing() != TMissingReason::None) {
    text += ",\"reason\":" + JsonString(MissingReasonName(cell.Missing()));
  }
  if (!tag.time.empty()) text += ",\"time\":" + JsonString(IsoTagTime(tag.time));
  return text + "}";
}

}  // namespace

TReadingTime ReadingTimeNow() {
  const TLocalTime now = LocalTimeNow();
  TReadingTime time;
  time.local = now.local;
  time.utcOffsetMinutes = now.utcOffsetMinutes;
  return time;
}

std::string IsoTimestamp(const TReadingTime& time) {
  const DateTimeParts p = DecodeDateTime(time.local);
  const int offset = time.utcOffsetMinutes < 0 ? -time.utcOffsetMinutes : time.utcOffsetMinutes;
  char text[48];
  std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%c%02d:%02d", p.year, p.month,
                p.day, p.hour, p.minute, p.second, p.millisecond,
                time.utcOffsetMinutes < 0 ? '-' : '+', offset / 60, offset % 60);
  return text;
}

std::string ReadingHeader(TOutputFormat format, const TMeasurementCells& cells) {
  if (format != TOutputFormat::Csv) return "";
  std::string header = "time";
  for (int slot = 0; slot < kSlotCount; ++slot) {
    header += ';';
    header += cells[slot].Name();
  }
  return header + "\n";
}

std::string ReadingLine(TOutputFormat format, const TMeasurementCells& cells,
                        const TReadingTime& time, const TValueTags* tags) {
  std::string line = format == TOutputFormat::Json ? "{\"time\":\"" : "";
  line += IsoTimestamp(time);
  switch (format) {
    case TOutputFormat::Text: {
      const std::vector<std::string> texts = CellLines(cells, tags);
      for (size_t i = 0; i < texts.size(); ++i) {
        line += i == 0 ? " " : "; ";
        line += texts[i];
      }
      break;
    }
    case TOutputFormat::Csv:
      for (int slot = 0; slot < kSlotCount; ++slot) {
        line += ';';
        line += CsvField(cells[slot]);
      }
      break;
    case TOutputFormat::Json: {
      line += "\",\"values\":{";
      bool first = true;
      for (int slot = 0; slot < kSlotCount; ++slot) {
        const TClrValue& cell = cells[slot];
        const TValueTag tag = tags ? (*tags)[slot] : TValueTag{};
        if (cell.State() == cvsNone && cell.Missing() == TMissingReason::None && !tag.invalid) {
          continue;
        }
        if (!first) line += ',';
        line += JsonCell(cell, tag);
        first = false;
      }
      line += "}}";
      break;
    }
  }
  return line + "\n";
}

}  // namespace vela::cli
