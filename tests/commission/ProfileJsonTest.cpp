// The profile's JSON: what our rules add to nlohmann-json's reader (refusals
// named in Russian with line and column, duplicate keys, depth, number range)
// and the text the writer gives.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "app/commission/ProfileJson.h"

namespace vela {
namespace {

struct TReadCase {
  const char* name;
  std::string text;
  std::string rewritten;  // WriteProfileJson of what was read, without the line break
};

const TReadCase kReadCases[] = {
    {"MembersInTheirOrder", R"({"speed": 9600, "address": 1})",
     "{\n  \"speed\": 9600,\n  \"address\": 1\n}"},
    {"WholeFractionAsInteger", "-1.5e2", "-150"},
    {"ShortestFraction", "[0.25, 0.0001, 1.5e300]", "[\n  0.25,\n  1e-04,\n  1.5e+300\n]"},
    {"IntegerBeyondDouble", "12345678901234567890", "12345678901234567168"},
    {"EscapesAndUnicode", R"("a\"\\\/\n\u0041\u0416\ud83d\ude00\u0001")",
     "\"a\\\"\\\\/\\nAЖ\xF0\x9F\x98\x80\\u0001\""},
    {"EmptyContainersAndLiterals", "[{}, [], true, null]", "[\n  {},\n  [],\n  true,\n  null\n]"},
    {"SameKeyInTwoObjects", R"({"a": {"a": 1}})", "{\n  \"a\": {\n    \"a\": 1\n  }\n}"},
};

class JsonReadTest : public ::testing::TestWithParam<TReadCase> {};

TEST_P(JsonReadTest, WritesWhatItReadAndReadsItBack) {
  const TReadCase& c = GetParam();
  std::string written = WriteProfileJson(ParseProfileJson(c.text));
  ASSERT_EQ(written.back(), '\n');
  EXPECT_EQ(WriteProfileJson(ParseProfileJson(written)), written);
  written.pop_back();
  EXPECT_EQ(written, c.rewritten);
}

INSTANTIATE_TEST_SUITE_P(Cases, JsonReadTest, ::testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct TRefusalCase {
  const char* name;
  std::string text;
  const char* message;
};

const TRefusalCase kRefusals[] = {
    {"Empty", "", "строка 1, позиция 1: данные оборваны"},
    {"WordNotValue", "{\n  \"протокол\": trux}", "строка 2, позиция 15: ожидалось значение"},
    {"DuplicateKey", "{\"address\": 1,\n \"address\": 2}",
     "строка 2, позиция 2: поле \"address\" указано дважды"},
    {"DuplicateKeyEscaped", R"({"iec": {"a\"": 1, "a\u0022": 2}})",
     "строка 1, позиция 20: поле \"a\"\" указано дважды"},
    {"TooDeep", std::string(66, '[') + std::string(66, ']'),
     "строка 1, позиция 66: слишком глубокая вложенность"},
    {"ValueTooDeep", std::string(65, '[') + "1" + std::string(65, ']'),
     "строка 1, позиция 66: слишком глубокая вложенность"},
    {"NumberTooLarge", "[1e999]", "строка 1, позиция 2: число вне допустимого диапазона"},
    {"NumberTooSmall", R"({"speed": 1e-400})",
     "строка 1, позиция 11: число вне допустимого диапазона"},
    {"ByteOrderMark", "\xEF\xBB\xBF{}", "строка 1, позиция 1: ожидалось значение"},
    {"BrokenByteOrderMark", "\xEF\xBB{}", "строка 1, позиция 1: ожидалось значение"},
    {"NulAfterValue", std::string("{}\0", 3),
     "строка 1, позиция 3: лишние символы после конца данных"},
    {"NulForValue", std::string("[1,\0]", 5), "строка 1, позиция 4: ожидалось значение"},
    {"TrailingNumber", "{} 12", "строка 1, позиция 4: лишние символы после конца данных"},
    {"KeyNotQuoted", "{a: 1}", "строка 1, позиция 2: ожидалось имя поля в кавычках"},
    {"NoColon", R"({"address" 5})", "строка 1, позиция 12: ожидалось двоеточие после имени поля"},
    {"ObjectNotClosed", R"({"a": 1)",
     "строка 1, позиция 8: ожидалась запятая или закрывающая фигурная скобка"},
    {"ArrayNoComma", "[1 \"2\"]",
     "строка 1, позиция 4: ожидалась запятая или закрывающая квадратная скобка"},
    {"StringNotClosed", "\"abc\\", "строка 1, позиция 6: строка не закрыта кавычкой"},
    {"ControlInString", "\"a\tb\"", "строка 1, позиция 3: управляющий символ внутри строки"},
    {"BadEscape", R"("\x41")", "строка 1, позиция 3: неверная escape-последовательность"},
    {"ShortUnicodeEscape", R"("\u12")", "строка 1, позиция 6: неверная последовательность \\u"},
    {"LoneSurrogate", R"("\ud800")", "строка 1, позиция 8: непарный суррогат в \\u"},
    {"BrokenUtf8", "\"ж\xC3\x28\"", "строка 1, позиция 3: текст не в кодировке UTF-8"},
    {"LonePoint", "1.", "строка 1, позиция 3: неверное число"},
};

class JsonRefusalTest : public ::testing::TestWithParam<TRefusalCase> {};

TEST_P(JsonRefusalTest, NamesLineColumnAndReason) {
  const TRefusalCase& c = GetParam();
  try {
    ParseProfileJson(c.text);
    FAIL() << "accepted";
  } catch (const TJsonError& e) {
    EXPECT_STREQ(e.what(), c.message);
  }
}

TEST(JsonDepthTest, SixtyFiveLevelsAreRead) {
  EXPECT_NO_THROW(ParseProfileJson(std::string(65, '[') + std::string(65, ']')));
}

INSTANTIATE_TEST_SUITE_P(Cases, JsonRefusalTest, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

struct TIntegerCase {
  const char* text;
  std::optional<int64_t> integer;
};

TEST(JsonIntegerTest, WholeNumbersWithinDoublePrecisionOnly) {
  const TIntegerCase cases[] = {
      {"9600", 9600},           {"9600.0", 9600},           {"-0.0", 0},
      {"9600.5", std::nullopt}, {"\"9600\"", std::nullopt}, {"9007199254740994", std::nullopt},
  };
  for (const TIntegerCase& c : cases) {
    EXPECT_EQ(JsonInteger(ParseProfileJson(c.text)), c.integer) << c.text;
  }
}

}  // namespace
}  // namespace vela
