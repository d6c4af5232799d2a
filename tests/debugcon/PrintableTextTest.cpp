// What the viewer prints of a message: nothing in it may act on the terminal.

#include <gtest/gtest.h>

#include "debugcon/PrintableText.h"

namespace vela {
namespace {

struct SafeCase {
  const char* name;
  std::string received;
  std::string printed;
};

class TerminalSafeTest : public ::testing::TestWithParam<SafeCase> {};

TEST_P(TerminalSafeTest, ControlCharactersShowAndDoNothing) {
  EXPECT_EQ(TerminalSafe(GetParam().received), GetParam().printed);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, TerminalSafeTest,
    ::testing::Values(SafeCase{"PlainAndCyrillic", " Rd: 0104 <Связь установлена.>",
                               " Rd: 0104 <Связь установлена.>"},
                      SafeCase{"LineBreaksStay", "Не удалось открыть порт\r\n open()\tx\ny",
                               "Не удалось открыть порт\n open()\tx\ny"},
                      SafeCase{"TitleChange", "\x1b]0;pwned\x07", "\\x1B]0;pwned\\x07"},
                      SafeCase{"ScreenClear", "\x1b[2J\x1b[H", "\\x1B[2J\\x1B[H"},
                      SafeCase{"LoneCarriageReturn", "ok\rfake", "ok\\x0Dfake"},
                      SafeCase{"DeleteAndNul",
                               std::string("a\x7f"
                                           "b\0c",
                                           5),
                               "a\\x7Fb\\x00c"},
                      SafeCase{"C1ControlInUtf8",
                               "\xc2\x9b"
                               "2J",
                               "\\xC2\\x9B2J"},
                      SafeCase{"CyrillicNotC1", "\xd0\x9f\xc2\xa0", "\xd0\x9f\xc2\xa0"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela
