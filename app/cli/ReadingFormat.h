#pragma once
// The readings of read and watch for scripts: one line per completed
// reading, formatted from the value cells (the same texts, units and quality
// marks the panel shows). Text: "time label = value unit; ..."; CSV: ';'
// separated, '.' decimals, ISO 8601 time, LF; JSON: one object per line,
//   {"time":"2026-12-08T05:07:21.123+03:00",
//    "values":{"Ua":{"value":230.05,"unit":"В","quality":null}, ...}}
// where "quality" is the mark ("ovf", "sub", "blk", "NT", "inv") that stands
// for the value, and a cell without a value has "value":null. A cell whose
// block brought nothing in this reading has "value":null and a "reason"
// ("no-answer", "bad-frame", "device-exception"); it is empty in text and CSV.
// With tags (IEC 60870-5-101): a value the device marked invalid is
// "value":null,"quality":"inv" in JSON and "label = inv" in text (empty in
// CSV), and a value that came with a time tag carries "time": the device's
// local time of the tag, "2026-02-01T03:04:05.123" (a 7-octet tag) or
// "04:05.123" (a 3-octet tag: minute, seconds and milliseconds), followed by
// " IV" when the device marked the tag invalid. The record's own "time" is
// always the computer's.

#include <string>

#include "app/cli/CliOptions.h"
#include "common/ArkTypes.h"
#include "display/MeasurementCells.h"
#include "display/ValueTags.h"

namespace vela::cli {

struct TReadingTime {
  TDateTime local = 0;       // the local date-time of the reading
  int utcOffsetMinutes = 0;  // local time minus UTC
};

// The reading time of now, from the system clock.
TReadingTime ReadingTimeNow();

// "2026-12-08T05:07:21.123+03:00".
std::string IsoTimestamp(const TReadingTime& time);

// The CSV header line (with its LF): "time;Ua;Ub;...". Empty for the others.
std::string ReadingHeader(TOutputFormat format, const TMeasurementCells& cells);
// One reading, a line ending with LF. Hidden cells are left out of text and
// JSON (unless missing with a reason) and give an empty CSV field.
std::string ReadingLine(TOutputFormat format, const TMeasurementCells& cells,
                        const TReadingTime& time, const TValueTags* tags = nullptr);

}  // namespace vela::cli
