// The profile reader: what it accepts and how it reads it, and what it
// refuses, whatever the input.

#include <gtest/gtest.h>

#include <string>

#include "app/cli/Json.h"

namespace vela::cli {
namespace {

struct TJsonCase {
  const char* name;
  std::string text;
  bool accepted;
  std::string rewritten;  // WriteJson of what was read, without the line break
};

const TJsonCase kCases[] = {
    {"Integer", "38400", true, "38400"},
    {"NegativeFraction", "-1.5e2", true, "-150"},
    {"SmallFraction", " 0.25 ", true, "0.25"},
    {"EscapesAndUnicode", R"("a\"\\\/\n\u0041\u0416\ud83d\ude00")", true,
     "\"a\\\"\\\\/\\nAЖ\xF0\x9F\x98\x80\""},
    {"RawUtf8", "\"серийный\"", true, "\"серийный\""},
    {"ControlEscapedOnWrite", R"("\u0001")", true, R"("\u0001")"},
    {"EmptyContainers", "[{}, []]", true, "[\n  {},\n  []\n]"},
    {"Literals", "[true,false,null]", true, "[\n  true,\n  false,\n  null\n]"},
    {"Empty", "", false, ""},
    {"OnlySpace", "  \n ", false, ""},
    {"TrailingComma", R"({"a": 1,})", false, ""},
    {"TrailingGarbage", "1 2", false, ""},
    {"LeadingZero", "012", false, ""},
    {"LonePoint", "1.", false, ""},
    {"PlusSign", "+1", false, ""},
    {"HugeNumber", "1e999", false, ""},
    {"DuplicateKey", R"({"a": 1, "a": 2})", false, ""},
    {"UnquotedKey", "{a: 1}", false, ""},
    {"SingleQuotes", "'a'", false, ""},
    {"UnclosedString", "\"abc", false, ""},
    {"BackslashAtEnd", "\"abc\\", false, ""},
    {"RawControlCharacter", "\"a\tb\"", false, ""},
    {"BadEscape", R"("\x41")", false, ""},
    {"ShortUnicodeEscape", R"("\u12")", false, ""},
    {"LoneHighSurrogate", R"("\ud800")", false, ""},
    {"LoneLowSurrogate", R"("\udc00x")", false, ""},
    {"InvalidUtf8", "\"\xC3\x28\"", false, ""},
    {"OverlongUtf8", "\"\xC0\xAF\"", false, ""},
    {"EncodedSurrogate", "\"\xED\xA0\x80\"", false, ""},
    {"TruncatedUtf8", "\"\xE2\x82", false, ""},
    {"NulInside", std::string("[1,\0 2]", 7), false, ""},
    {"DeepNesting", std::string(100, '[') + std::string(100, ']'), false, ""},
    {"TruncatedLiteral", "tru", false, ""},
    {"UnclosedObject", R"({"a": 1)", false, ""},
};

class JsonTest : public ::testing::TestWithParam<TJsonCase> {};

TEST_P(JsonTest, ReadsOrRefuses) {
  const TJsonCase& c = GetParam();
  if (!c.accepted) {
    EXPECT_THROW(ParseJson(c.text), TJsonError);
    return;
  }
  std::string written = WriteJson(ParseJson(c.text));
  ASSERT_EQ(written.back(), '\n');
  written.pop_back();
  EXPECT_EQ(written, c.rewritten);
  EXPECT_EQ(WriteJson(ParseJson(written)), written + "\n");  // what it writes it reads back
}

INSTANTIATE_TEST_SUITE_P(Cases, JsonTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(JsonErrorTest, NamesLineAndColumnInCharacters) {
  try {
    ParseJson("{\n  \"протокол\": x}");
    FAIL() << "accepted";
  } catch (const TJsonError& e) {
    EXPECT_STREQ(e.what(), "строка 2, позиция 15: ожидалось значение");
  }
}

}  // namespace
}  // namespace vela::cli
