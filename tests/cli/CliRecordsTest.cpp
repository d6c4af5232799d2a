// The CSV of the records: a field that holds the separator, a quote or a
// line break is quoted with its quotes doubled, so a script's CSV reader
// gets the field back whole; a null or missing field is empty.

#include <gtest/gtest.h>

#include "app/cli/CliRecords.h"

namespace vela::cli {
namespace {

struct TFieldCase {
  const char* name;
  TRecord value;
  const char* field;
};

class CsvFieldTest : public testing::TestWithParam<TFieldCase> {};

TEST_P(CsvFieldTest, ComesBackWhole) {
  TRecord record;
  record["a"] = 1;
  record["b"] = GetParam().value;
  EXPECT_EQ(CsvRecords({"a", "b", "c"}, {record}),
            std::string("a;b;c\n1;") + GetParam().field + ";\n");
}

INSTANTIATE_TEST_SUITE_P(Fields, CsvFieldTest,
                         testing::Values(TFieldCase{"plain", "COM3", "COM3"},
                                         TFieldCase{"number", 38400, "38400"},
                                         TFieldCase{"flag", true, "true"},
                                         TFieldCase{"null", TRecord(), ""},
                                         TFieldCase{"separator", "a; b", "\"a; b\""},
                                         TFieldCase{"quote", "say \"yes\"", "\"say \"\"yes\"\"\""},
                                         TFieldCase{"line_break", "one\ntwo", "\"one\ntwo\""}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela::cli
