// The option table: the spellings it reads, its complaints, and a help text
// that carries every entry.

#include <gtest/gtest.h>

#include "common/OptionTable.h"

namespace vela {
namespace {

// A table with a flag, a valued option, a short alias, an optional number
// and two commands; every action writes "name=value;" into the log.
TOptionTable MakeTable(std::string& log) {
  TOptionTable table("prog [ПАРАМЕТРЫ] КОМАНДА");
  auto record = [&log](const char* name) {
    return [&log, name](const std::string& value) { log += std::string(name) + "=" + value + ";"; };
  };
  table.Section("Команды:");
  table.Command("read", "прочитать");
  table.Command("watch", "читать непрерывно");
  table.Section("Параметры:");
  table.Add({"--port", "", "COMn", "порт", record("port")});
  table.Add({"--trace", "", "", "печатать обмен", record("trace")});
  table.Add({"--help", "-h", "", "показать эту справку", record("help")});
  table.Add(
      {"--dfc", "", "N", "DFC = 1 в первых N ответах\n(без N — во всех)", record("dfc"), {}, true});
  table.Add({"--limit", "", "ОЧЕНЬ-ДЛИННОЕ-ЗНАЧЕНИЕ-ПАРАМЕТРА", "предел", [](const std::string& v) {
               if (v != "1") throw TOptionError("Недопустимый предел \"" + v + "\".");
             }});
  return table;
}

struct ParseCase {
  std::vector<std::string> args;
  const char* expected;  // the command word and the log, or a part of the complaint
};

class OptionTableParseTest : public testing::TestWithParam<ParseCase> {};

TEST_P(OptionTableParseTest, RunsTheActionsInOrderOrComplains) {
  std::string log;
  const TOptionTable table = MakeTable(log);
  std::string outcome;
  try {
    outcome = table.Parse(GetParam().args) + ":" + log;
  } catch (const TOptionError& e) {
    outcome = e.what();
  }
  EXPECT_NE(outcome.find(GetParam().expected), std::string::npos) << outcome;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionTableParseTest,
    testing::Values(ParseCase{{"--port", "COM3", "read"}, "read:port=COM3;"},
                    ParseCase{{"watch", "--port=COM4", "--trace"}, "watch:port=COM4;trace=;"},
                    ParseCase{{"read", "--port="}, "read:port=;"},
                    ParseCase{{"-h", "read"}, "read:help=;"},
                    ParseCase{{"read", "--dfc", "2", "--dfc", "--trace"},
                              "read:dfc=2;dfc=;trace=;"},
                    ParseCase{{"read", "--dfc=x"}, "read:dfc=x;"},
                    ParseCase{{"read", "--port"}, "Для --port не указано значение."},
                    ParseCase{{"read", "--colour"}, "Неизвестный параметр --colour."},
                    ParseCase{{"read", "--colour=red"}, "Неизвестный параметр --colour."},
                    ParseCase{{"read", "--trace=yes"}, "Параметр --trace не принимает значения."},
                    ParseCase{{"read", "--limit", "2"}, "Недопустимый предел \"2\"."},
                    ParseCase{{"--trace"}, "Не указана команда."},
                    ParseCase{{"read", "watch"}, "Лишний аргумент \"watch\"."},
                    ParseCase{{"reed"}, "Неизвестная команда \"reed\"."}));

TEST(OptionTableTest, OtherMessagesAndWordsLeftForAnotherReader) {
  TOptionTable table("prog");
  table.SetMessages({"Неизвестный параметр {} (см. --help)", "Параметру {} нужно значение",
                     "Параметр {} не принимает значения"});
  table.Add({"--port", "", "COMn", "порт", [](const std::string&) {}});
  const auto complaint = [&](const std::vector<std::string>& args) {
    try {
      table.Parse(args);
    } catch (const TOptionError& e) {
      return std::string(e.what());
    }
    return std::string();
  };
  EXPECT_EQ(complaint({"style=fusion"}), "Неизвестный параметр style (см. --help)");
  EXPECT_EQ(complaint({"--port"}), "Параметру --port нужно значение");
  table.LeaveOtherWords();
  EXPECT_EQ(complaint({"-style", "fusion", "--port", "COM1"}), "");
}

TEST(OptionTableTest, HelpListsEveryEntryAligned) {
  std::string log;
  const std::string help = MakeTable(log).Help();
  EXPECT_EQ(help.rfind("Использование: prog [ПАРАМЕТРЫ] КОМАНДА\n", 0), 0u) << help;
  const char* const lines[] = {
      "\nКоманды:\n", "\n  read         прочитать\n", "\n  --port COMn  порт\n",
      "\n  -h, --help   показать эту справку\n",
      // A help text of two lines: the second under the first.
      ("\n  --dfc [N]    DFC = 1 в первых N ответах\n"
       "               (без N — во всех)\n"),
      "\n  --limit ОЧЕНЬ-ДЛИННОЕ-ЗНАЧЕНИЕ-ПАРАМЕТРА\n               предел\n"};
  for (const char* line : lines) EXPECT_NE(help.find(line), std::string::npos) << line << help;
}

}  // namespace
}  // namespace vela
