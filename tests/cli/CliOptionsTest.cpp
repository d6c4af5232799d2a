#include <gtest/gtest.h>

#include <functional>

#include "app/cli/CliOptions.h"

namespace vela::cli {
namespace {

std::vector<std::string> Words(const std::string& line) {
  std::vector<std::string> words;
  size_t at = 0;
  while (at < line.size()) {
    const size_t end = line.find(' ', at);
    words.push_back(line.substr(at, end - at));
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return words;
}

struct RefusedCase {
  const char* args;
  const char* messagePart;
};

class RefusedOptionsTest : public testing::TestWithParam<RefusedCase> {};

TEST_P(RefusedOptionsTest, SayWhatIsWrong) {
  try {
    ParseCliOptions(Words(GetParam().args));
    FAIL() << "accepted: " << GetParam().args;
  } catch (const TCliUsageError& e) {
    EXPECT_NE(std::string(e.what()).find(GetParam().messagePart), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedOptionsTest,
    testing::Values(
        RefusedCase{"", "Не указана команда"}, RefusedCase{"reed", "Неизвестная команда \"reed\""},
        RefusedCase{"read settings", "Лишний аргумент"},
        RefusedCase{"read --port", "не указано значение"},
        RefusedCase{"read --colour red", "Неизвестный параметр --colour"},
        RefusedCase{"read --port COM1 --port COM2", "указан дважды"},
        RefusedCase{"read --interface wifi", "usb или rs485"},
        RefusedCase{"read --response-timeout 9", "нужно число от 10 до 60000"},
        RefusedCase{"read --protocol iec101", "IEC 60870-5-101"},
        RefusedCase{"read --protocol modbus", "rtu, ascii или iec101"},
        RefusedCase{"read --interface rs485 --speed 14400", "Недопустимая скорость --speed"},
        RefusedCase{"read --interface rs485 --frame 8E2", "Недопустимый формат --frame"},
        RefusedCase{"read --interface rs485 --protocol ascii --frame 8E1", "7 бит данных"},
        RefusedCase{"read --interface rs485 --address 0", "от 1 до 247"},
        RefusedCase{"read --interface rs485 --address 248", "от 1 до 247"},
        RefusedCase{"read --interface rs485 --address 1x", "от 1 до 247"},
        RefusedCase{"read --speed 115200", "--interface rs485"},
        RefusedCase{"read --address 5", "--interface rs485"},
        RefusedCase{"configure", "хотя бы один"},
        RefusedCase{"read --interface rs485 --rts sometimes", "auto, toggle, kernel или off"},
        RefusedCase{"read --rts toggle", "только к --interface rs485"},
        RefusedCase{"read --set-speed 9600", "только к команде configure"},
        RefusedCase{"configure --set-speed 14400", "Недопустимая скорость --set-speed"},
        RefusedCase{"configure --set-protocol ascii --set-frame 8N2", "7 бит данных"},
        RefusedCase{"configure --set-network 5", "3 или 4"},
        RefusedCase{"read --csv x.csv", "только к команде watch"},
        RefusedCase{"watch --seconds -1", "больше 0"}, RefusedCase{"read --timeout 0", "больше 0"},
        RefusedCase{"read --format xml", "text, csv или json"},
        RefusedCase{"sync-clock --format json", "только к командам read, watch, wiring"},
        RefusedCase{"settings --save - --format json", "--format не нужен"},
        RefusedCase{"report --out - --format csv", "--format не нужен"},
        RefusedCase{"wiring --format csv", "Для wiring --format: text или json"},
        RefusedCase{"configure --set-speed 9600 --format csv",
                    "Для configure --format: text или json"},
        RefusedCase{"factory --format csv", "Для factory --format: text или json"},
        RefusedCase{"watch --csv - --format json", "--format не нужен"},
        RefusedCase{"read --trace=yes", "не принимает значения"},
        RefusedCase{"read --port=COM1 --port COM2", "указан дважды"},
        RefusedCase{"read --colour=red", "Неизвестный параметр --colour"},
        RefusedCase{"read --iec-lengths 1,1,1,2", "только к --protocol iec101"},
        RefusedCase{"settings --interface rs485 --protocol iec101",
                    "read, watch, sync-clock и wiring"},
        RefusedCase{"read --interface rs485 --protocol iec101 --iec-lengths 1,1,3,2",
                    "LA,COT,CA,IOA"},
        RefusedCase{"read --interface rs485 --protocol iec101 --iec-lengths 1,1,1",
                    "LA,COT,CA,IOA"},
        RefusedCase{"read --interface rs485 --protocol iec101 --iec-common-address 300",
                    "не помещается"},
        RefusedCase{"read --interface rs485 --protocol iec101 --iec-common-address 0", "от 1 до"},
        RefusedCase{"read --interface rs485 --protocol iec101 --iec-timeout 50", "от 100 до 30000"},
        RefusedCase{"read --iec-timeout 1000", "только к --protocol iec101"},
        RefusedCase{"read --interface rs485 --protocol iec101 --iec-stale 0", "от 1 до 3600"},
        RefusedCase{"watch --interface rs485 --protocol iec101 --iec-gi-period -1",
                    "от 0 до 86400"},
        RefusedCase{"watch --iec-gi-period 60", "только к --protocol iec101"},
        RefusedCase{"read --interface rs485 --protocol iec101 --address 255", "от 1 до 254"},
        RefusedCase{"read --interface rs485 --protocol iec101 --address 0", "от 1 до 254"},
        RefusedCase{
            "read --interface rs485 --protocol iec101 --iec-lengths 2,1,1,2 --address 65535",
            "от 0 до 65534"},
        RefusedCase{"read --interface rs485 --protocol iec101 --iec-common-address 255",
                    "от 1 до 254"},
        RefusedCase{"read --interface rs485 --protocol iec101 --iec-lengths 1,1,2,2 "
                    "--iec-common-address 65535",
                    "от 1 до 65534"}));

TEST(CliOptionsTest, IecConnection) {
  const TCliOptions o = ParseCliOptions(
      Words("sync-clock --interface rs485 --protocol iec101 --address 300 --iec-lengths 2,2,2,3 "
            "--iec-common-address 300 --iec-timeout 1000 --iec-stale 30 --iec-gi-period 60"));
  ASSERT_TRUE(o.iec);
  EXPECT_EQ(o.iec->answerTimeMs, 1000);
  EXPECT_EQ(o.iec->staleAfterS, 30);
  EXPECT_EQ(o.iec->interrogationPeriodS, 60);
  EXPECT_EQ(o.address, 300);
  EXPECT_EQ(o.iec->linkAddressLength, 2);
  EXPECT_EQ(o.iec->cotLength, 2);
  EXPECT_EQ(o.iec->commonAddressLength, 2);
  EXPECT_EQ(o.iec->ioaLength, 3);
  EXPECT_EQ(o.iec->commonAddress, 300);
  const TCliOptions d = ParseCliOptions(Words("read --interface rs485 --protocol iec101"));
  ASSERT_TRUE(d.iec);
  EXPECT_EQ(d.iec->ioaLength, 2);
  EXPECT_EQ(d.iec->commonAddress, 1);
  EXPECT_EQ(d.iec->answerTimeMs, 400);
  EXPECT_EQ(d.iec->staleAfterS, 10);
  EXPECT_EQ(d.iec->interrogationPeriodS, 0);
}

TEST(CliOptionsTest, DefaultsAreTheProgramsStartUpValues) {
  const TCliOptions o = ParseCliOptions({"read"});
  EXPECT_EQ(o.command, TCommand::Read);
  EXPECT_FALSE(o.rs485);
  EXPECT_FALSE(o.ascii);
  EXPECT_EQ(o.speed, "38400");
  EXPECT_EQ(o.frame, 0);
  EXPECT_EQ(o.address, 1);
  EXPECT_TRUE(o.port.empty());
  EXPECT_FALSE(o.exactTiming);
  // The defaults stated outright are accepted over USB too.
  EXPECT_NO_THROW(ParseCliOptions(Words("read --speed 38400 --frame 8E1 --address 1")));
}

TEST(CliOptionsTest, WorkingInterfaceAndConfigureSettings) {
  const TCliOptions o = ParseCliOptions(
      Words("configure --port COM7 --interface rs485 --protocol ascii --speed 115200 --frame 7N2 "
            "--address 200 --set-protocol iec101 --set-speed 230400 --set-frame 8O1 "
            "--set-address 17 --set-network 3 --timeout 5"));
  EXPECT_EQ(o.command, TCommand::Configure);
  EXPECT_EQ(o.port, "COM7");
  EXPECT_TRUE(o.rs485);
  EXPECT_TRUE(o.ascii);
  EXPECT_EQ(o.speed, "115200");
  EXPECT_EQ(o.frame, 2);
  EXPECT_EQ(o.address, 200);
  EXPECT_EQ(o.set.protocol, 2);
  EXPECT_EQ(o.set.speed, "230400");
  EXPECT_EQ(o.set.frame, 1);
  EXPECT_EQ(o.set.address, 17);
  EXPECT_EQ(o.set.threeWire, true);
  EXPECT_EQ(o.timeoutSeconds, 5);
}

TEST(CliOptionsTest, PortsCommandDevicePathAndRtsControl) {
  EXPECT_EQ(ParseCliOptions(Words("ports")).command, TCommand::Ports);
  EXPECT_EQ(ParseCliOptions(Words("read")).rts, RtsControl::Auto);
  const TCliOptions o =
      ParseCliOptions(Words("read --port /dev/serial/by-id/usb-x --interface rs485 --rts toggle"));
  EXPECT_EQ(o.port, "/dev/serial/by-id/usb-x");
  EXPECT_EQ(o.rts, RtsControl::Toggle);
}

TEST(CliOptionsTest, WatchOptions) {
  const TCliOptions o =
      ParseCliOptions(Words("watch --csv out.csv --seconds 2.5 --stats --exact-timing --fast"));
  EXPECT_EQ(o.command, TCommand::Watch);
  EXPECT_EQ(o.csvFile, "out.csv");
  EXPECT_EQ(o.seconds, 2.5);
  EXPECT_TRUE(o.stats);
  EXPECT_TRUE(o.exactTiming);  // --fast, the default now, changes nothing
}

// The spellings a script uses: --name=value, --help or --version anywhere
// (even beside a mistake), the output options.
struct SpellingCase {
  const char* args;
  std::function<bool(const TCliOptions&)> holds;
};

class OptionSpellingTest : public testing::TestWithParam<SpellingCase> {};

TEST_P(OptionSpellingTest, AreUnderstood) {
  EXPECT_TRUE(GetParam().holds(ParseCliOptions(Words(GetParam().args)))) << GetParam().args;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, OptionSpellingTest,
    testing::Values(
        SpellingCase{"--port=COM3 read", [](auto& o) { return o.port == "COM3"; }},
        SpellingCase{"read --interface=rs485 --speed=9600 --address=7",
                     [](auto& o) { return o.rs485 && o.speed == "9600" && o.address == 7; }},
        SpellingCase{"watch --seconds=2 --csv=-",
                     [](auto& o) { return o.seconds == 2 && o.csvFile == kCsvToStandardOutput; }},
        SpellingCase{"read --help", [](auto& o) { return o.help && !o.version; }},
        SpellingCase{"watch --seconds 0 --help", [](auto& o) { return o.help; }},
        SpellingCase{"-h", [](auto& o) { return o.help; }},
        SpellingCase{"--version", [](auto& o) { return o.version && !o.help; }},
        SpellingCase{"-V", [](auto& o) { return o.version && !o.help; }},
        SpellingCase{"settings --help", [](auto& o) { return o.helpCommand == "settings"; }},
        SpellingCase{"find --speeds 1 -h", [](auto& o) { return o.helpCommand == "find"; }},
        SpellingCase{"watch --timeout 5", [](auto& o) { return o.timeoutGiven; }},
        SpellingCase{"find", [](auto& o) { return !o.timeoutGiven && o.timeoutSeconds == 60; }},
        SpellingCase{"read --interface rs485 --protocol iec101",
                     [](auto& o) { return o.timeoutSeconds == 60; }},
        SpellingCase{"read --interface rs485 --protocol iec101 --iec-timeout 2000",
                     [](auto& o) { return o.timeoutSeconds == 300; }},
        SpellingCase{"read --interface rs485 --protocol iec101 --iec-timeout 2000 --timeout 5",
                     [](auto& o) { return o.timeoutSeconds == 5; }},
        SpellingCase{"read --response-timeout 60000",
                     [](auto& o) { return o.responseTimeoutMs == 60000; }},
        SpellingCase{"read", [](auto& o) { return o.responseTimeoutMs == 0; }},
        SpellingCase{"settings --save -", [](auto& o) { return o.commission.saveFile == "-"; }},
        SpellingCase{"read --format json --quiet",
                     [](auto& o) { return o.format == TOutputFormat::Json && o.quiet; }},
        SpellingCase{"watch --format=csv", [](auto& o) { return o.format == TOutputFormat::Csv; }},
        SpellingCase{"ports --format json",
                     [](auto& o) { return o.format == TOutputFormat::Json; }},
        SpellingCase{"read", [](auto& o) { return o.format == TOutputFormat::Text && !o.quiet; }},
        SpellingCase{"configure --set-address=9", [](auto& o) { return o.set.address == 9; }}));

// The help of one command: its own line and options, the options of every
// command, none of another command's.
struct CommandHelpCase {
  const char* command;
  std::vector<const char*> shown, hidden;
};

class CommandHelpTest : public testing::TestWithParam<CommandHelpCase> {};

TEST_P(CommandHelpTest, ListsWhatTheCommandTakes) {
  const std::string help = UsageText(GetParam().command);
  EXPECT_EQ(help.rfind(std::string("Использование: velalink-cli [параметры связи] ") +
                           GetParam().command + " [параметры команды]\n",
                       0),
            0u)
      << help;
  for (const char* text : GetParam().shown) EXPECT_NE(help.find(text), std::string::npos) << text;
  for (const char* text : GetParam().hidden) EXPECT_EQ(help.find(text), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Commands, CommandHelpTest,
    testing::Values(CommandHelpCase{"settings",
                                    {"  settings ", "--save ФАЙЛ", "--port", "--timeout",
                                     "-V, --version", "--format"},
                                    {"  read ", "--csv", "--stats", "--set-speed"}},
                    CommandHelpCase{"watch",
                                    {"  watch ", "--csv", "--stats", "--format", "--port"},
                                    {"  read ", "--save", "--probe-timeout"}},
                    CommandHelpCase{
                        "find",
                        {"  find ", "--speeds", "--probe-timeout", "--timeout", "--format"},
                        {"--csv", "--set-"}}),
    [](const auto& info) { return std::string(info.param.command); });

TEST(CliOptionsTest, FrameTexts) {
  struct Case {
    const char* text;
    int dataBits, index;
  };
  for (const Case c : {Case{"8E1", 8, 0}, Case{"8O1", 8, 1}, Case{"8N2", 8, 2}, Case{"7E1", 7, 0},
                       Case{"7O1", 7, 1}, Case{"7N2", 7, 2}}) {
    const auto frame = ParseFrameText(c.text);
    ASSERT_TRUE(frame) << c.text;
    EXPECT_EQ(frame->dataBits, c.dataBits);
    EXPECT_EQ(frame->index, c.index);
  }
  for (const char* bad : {"", "8E", "9E1", "8e1", "8N1", "8E1 "}) {
    EXPECT_FALSE(ParseFrameText(bad)) << bad;
  }
}

}  // namespace
}  // namespace vela::cli
