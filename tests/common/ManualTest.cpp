// The manual page made from an option table: each entry in a paragraph of
// its own, written so that roff neither reads it as a request nor turns its
// hyphens into dashes. (man renders the real pages in tests/dist.)

#include <gtest/gtest.h>

#include "common/Manual.h"

namespace vela {
namespace {

std::string Page() {
  TOptionTable table("prog [ПАРАМЕТРЫ] КОМАНДА");
  table.Section("Команды:");
  table.Command("read", "прочитать\nоднократно");
  table.Section("Параметры связи:");
  table.Add({"--port", "", "COMn", "порт", [](const std::string&) {}});
  table.Add({"--set-speed", "", "9600|19200", "скорость", [](const std::string&) {}, {"read"}});
  table.Add({"--set-frame", "", "8E1|8O1", ".формат с точкой", [](const std::string&) {}});
  table.Add({"--help", "-h", "", "справка", [](const std::string&) {}});
  table.Add({"--dfc", "", "N", "DFC", [](const std::string&) {}, {}, true});
  table.Note("Примечание\\группы.");
  TManual manual{"prog",
                 "проба",
                 "Описание.",
                 {{"2", "ошибка"}},
                 {{"PROG_PORT", "порт"}},
                 {{"~/.config/prog", "настройки"}},
                 {{"prog --port COM1 read", "Чтение:"}}};
  return ManPage(table, manual, "1.2.3");
}

struct PageCase {
  const char* what;
  const char* fragment;
};

class ManPageTest : public testing::TestWithParam<PageCase> {};

TEST_P(ManPageTest, HoldsTheFragment) {
  EXPECT_NE(Page().find(GetParam().fragment), std::string::npos) << GetParam().what << "\n"
                                                                 << Page();
}

INSTANTIATE_TEST_SUITE_P(
    Fragments, ManPageTest,
    testing::Values(
        PageCase{"title", ".TH PROG 1 \"\" \"VelaLink 1.2.3\""},
        PageCase{"synopsis", ".SH ОБЗОР\n\\fBprog\\fR [ПАРАМЕТРЫ] КОМАНДА\n"},
        PageCase{"command, lines joined", ".SH КОМАНДЫ\n.TP\n\\fBread\\fR\nпрочитать однократно\n"},
        PageCase{"group", ".SS \"Параметры связи\"\n"},
        PageCase{"option of its own",
                 ".TP\n\\fB\\-\\-set\\-speed\\fR \\fI9600|19200\\fR\nскорость\n"},
        PageCase{"next option of its own", ".TP\n\\fB\\-\\-set\\-frame\\fR \\fI8E1|8O1\\fR\n"},
        PageCase{"leading dot kept as text", "\n\\&.формат с точкой\n"},
        PageCase{"backslash written out", "Примечание\\eгруппы."},
        PageCase{"short alias first", ".TP\n\\fB\\-h\\fR, \\fB\\-\\-help\\fR\n"},
        PageCase{"optional number", "\\fB\\-\\-dfc\\fR [\\fIN\\fR]\n"},
        PageCase{"exit status", ".SH КОД ВОЗВРАТА\n.TP\n2\nошибка\n"},
        PageCase{"environment", ".SH ОКРУЖЕНИЕ\n.TP\n\\fBPROG_PORT\\fR\n"},
        PageCase{"files", ".SH ФАЙЛЫ\n.TP\n~/.config/prog\n"},
        PageCase{"example",
                 ".SH ПРИМЕРЫ\n.PP\nЧтение:\n.PP\n.RS\n.nf\nprog \\-\\-port COM1 read\n"}));

}  // namespace
}  // namespace vela
