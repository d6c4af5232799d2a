#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app/cli/ReadingFormat.h"
#include "common/DateTime.h"
#include "display/RegionalSettings.h"

namespace vela::cli {
namespace {

// A 4-wire reading with a value, a quality mark, a cell without a value, a
// hidden one and one whose block was refused; the panel's regional format
// uses a comma on purpose.
class ReadingFormatTest : public testing::Test {
 protected:
  void SetUp() override {
    SetCurrentRegionalSettings(TRegionalSettings{',', TDateOrder::DayMonthYear, '.', false, false});
    cells[slotUa].SetValue(230.054);
    cells[slotF].SetValue(50.0125);
    cells[slotIa].SetOverflow();
    cells[slotUo].SetNone();
    cells[slotIb].SetMissing(TMissingReason::DeviceException);
  }
  void TearDown() override { SetCurrentRegionalSettings(RegionalSettingsOfLocale("C", "C")); }

  TMeasurementCells cells;
  const TReadingTime time{EncodeDateTime(2026, 12, 8, 5, 7, 21, 123), 180};
};

// What Python's own JSON reader makes of the line: "time" first, then
// "name|value|unit|quality|reason" per quantity in the order of the object.
std::string ParsedBack(const std::string& json) {
  char path[] = "/tmp/velalink-json-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return "mkstemp failed";
  close(fd);
  std::ofstream(path) << json;
  const std::string command =
      std::string(
          "python3 -c 'import json,sys\n"
          "d = json.load(open(sys.argv[1]))\n"
          "print(d[\"time\"])\n"
          "for k, v in d[\"values\"].items():\n"
          "  print(\"%s|%r|%s|%s|%s\" % (k, v[\"value\"], v[\"unit\"], v[\"quality\"],"
          " v.get(\"reason\")))' ") +
      path;
  std::string out;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    pclose(pipe);
  }
  unlink(path);
  return out;
}

TEST_F(ReadingFormatTest, JsonReadingParsesBackWithEveryQuantity) {
  if (std::system("python3 -c '' 2>/dev/null") != 0) GTEST_SKIP() << "python3 is not installed";
  const std::string line = ReadingLine(TOutputFormat::Json, cells, time);
  ASSERT_EQ(line.back(), '\n');
  ASSERT_EQ(line.find('\n'), line.size() - 1) << "one line per reading";
  const std::string parsed = ParsedBack(line);
  EXPECT_EQ(parsed.substr(0, parsed.find('\n')), "2026-12-08T05:07:21.123+03:00");
  EXPECT_NE(parsed.find("\nUa|230.05|В|None|None\n"), std::string::npos) << parsed;
  EXPECT_NE(parsed.find("\nf|50.013|Гц|None|None\n"), std::string::npos) << parsed;
  EXPECT_NE(parsed.find("\nIa|None|А|ovf|None\n"), std::string::npos) << parsed;
  EXPECT_NE(parsed.find("\nIb|None|А|None|device-exception\n"), std::string::npos) << parsed;
  EXPECT_NE(parsed.find("\nUb|None|В|None|None\n"), std::string::npos) << parsed;
  EXPECT_EQ(parsed.find("\nUo|"), std::string::npos) << "hidden cells are left out";
}

TEST_F(ReadingFormatTest, CsvHasOneHeaderPointDecimalsIsoTimeAndLf) {
  const std::string header = ReadingHeader(TOutputFormat::Csv, cells);
  const std::string line = ReadingLine(TOutputFormat::Csv, cells, time);
  EXPECT_EQ(header.rfind("time;f;P;Q;S;Uab;", 0), 0u) << header;
  EXPECT_EQ(header.find('\r'), std::string::npos);
  EXPECT_EQ(line.rfind("2026-12-08T05:07:21.123+03:00;50.013;", 0), 0u) << line;
  EXPECT_NE(line.find(";ovf;;"), std::string::npos) << line;    // Ia, Ib refused: empty
  EXPECT_NE(line.find(";230.05;"), std::string::npos) << line;  // Ua, '.' not ','
  EXPECT_EQ(line.find(','), std::string::npos) << line;
  EXPECT_EQ(line.find('\r'), std::string::npos) << line;
  // As many fields as the header has.
  const auto fields = [](const std::string& text) {
    return std::count(text.begin(), text.end(), ';');
  };
  EXPECT_EQ(fields(line), fields(header));
  EXPECT_EQ(ReadingHeader(TOutputFormat::Json, cells), "");
  EXPECT_EQ(ReadingHeader(TOutputFormat::Text, cells), "");
}

// IEC values: a time tag goes with its value in JSON, and a value the device
// marked invalid is said to be invalid unless an earlier mark stands for it.
TEST_F(ReadingFormatTest, TaggedAndInvalidValuesAreSaidAsSuch) {
  TValueTags tags;
  tags[slotUa].time = "2026-02-01 03:04:05.123";
  tags[slotF].time = "04:05.123";
  tags[slotUo].invalid = true;
  tags[slotIa].invalid = true;
  const struct {
    TOutputFormat format;
    const char* shown;
  } cases[] = {
      {TOutputFormat::Json,
       "\"Ua\":{\"value\":230.05,\"unit\":\"В\",\"quality\":null,\"time\":\"2026-02-01T03:04:05."
       "123\"}"},
      {TOutputFormat::Json,
       "\"f\":{\"value\":50.013,\"unit\":\"Гц\",\"quality\":null,\"time\":\"04:05.123\"}"},
      {TOutputFormat::Json, "\"Uo\":{\"value\":null,\"unit\":\"В\",\"quality\":\"inv\"}"},
      {TOutputFormat::Json, "\"Ia\":{\"value\":null,\"unit\":\"А\",\"quality\":\"ovf\"}"},
      {TOutputFormat::Text, "; Uo = inv"},
      {TOutputFormat::Text, "; Ia = ovf"},
  };
  for (const auto& c : cases) {
    const std::string line = ReadingLine(c.format, cells, time, &tags);
    EXPECT_NE(line.find(c.shown), std::string::npos) << c.shown << "\n" << line;
  }
  EXPECT_EQ(ReadingLine(TOutputFormat::Json, cells, time).find("\"Uo\""), std::string::npos);
}

TEST(ReadingTimeTest, IsoTimestampsCarryMillisecondsAndTheOffset) {
  EXPECT_EQ(IsoTimestamp({EncodeDateTime(2026, 1, 2, 3, 4, 5, 6), 0}),
            "2026-01-02T03:04:05.006+00:00");
  EXPECT_EQ(IsoTimestamp({EncodeDateTime(2026, 7, 1, 23, 59, 59, 999), -150}),
            "2026-07-01T23:59:59.999-02:30");
}

}  // namespace
}  // namespace vela::cli
