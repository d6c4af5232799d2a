// The commissioning commands of velalink-cli against velasim: find on the
// working interface, settings profiles applied and read back, and the
// commissioning report.

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <regex>
#include <sstream>

#include "tests/cli/CliProcess.h"
#include "tests/support/VelaSimProcess.h"

namespace vela::test {
namespace {

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

size_t Count(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

std::vector<std::string> On(const std::string& port, std::vector<std::string> args) {
  args.insert(args.begin(), {"--port", port, "--timeout", "20"});
  return args;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

void WriteFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

struct TFindCase {
  const char* name;
  std::vector<std::string> sim;   // beside --both
  std::vector<std::string> find;  // beside --interface rs485 find
  int exitCode;
  size_t devices;                  // "найден прибор" lines
  std::vector<std::string> lines;  // each printed exactly once
  const char* probed;              // the summary's count, when it matters
};

const TFindCase kFindCases[] = {
    {"AsciiAtAddress3",
     {"--protocol", "ascii", "--address", "3", "--link-speed", "19200", "--link-frame", "7E1"},
     {"--probe-timeout", "150"},  // a loaded computer may need more than the default
     0,
     1,
     {"протокол MODBUS ASCII, скорость 19200, формат 7E1, адрес 3, серийный номер 123456\n",
      "--interface rs485 --protocol ascii --speed 19200 --frame 7E1 --address 3 read\n"},
     nullptr},
    {"RtuAtAddress247",
     {"--address", "247", "--link-speed", "115200", "--link-frame", "8N2", "--serial", "12345"},
     {"--protocols", "rtu", "--speeds", "115200", "--probe-timeout", "200"},
     0,
     1,
     {"протокол MODBUS RTU, скорость 115200, формат 8N2, адрес 247, серийный номер 012345\n"},
     nullptr},
    {"AllThreeOnOneLine",
     {"--address", "2", "--extra-device", "5", "--extra-device", "9:4242"},
     {"--all", "--protocols", "rtu", "--speeds", "38400", "--addresses", "1-10", "--probe-timeout",
      "200"},
     0,
     3,
     {"адрес 2, серийный номер 123456\n", "адрес 5, серийный номер 123461\n",
      "адрес 9, серийный номер 004242\n"},
     "Проверено вариантов: 30 из 30"},
    // Octets back that are no identification: tried again, then reported.
    {"GarbledAnswerIsReported",
     {"--bad-checksum"},
     {"--protocols", "rtu", "--speeds", "38400", "--addresses", "1"},
     1,
     0,
     {},
     "ответ без идентификации"},
};

class CliFindTest : public ::testing::TestWithParam<TFindCase> {};

TEST_P(CliFindTest, FindsWhatIsOnTheLine) {
  const TFindCase& c = GetParam();
  std::vector<std::string> simArgs = {"--both"};
  simArgs.insert(simArgs.end(), c.sim.begin(), c.sim.end());
  VelaSimProcess sim(simArgs);
  std::vector<std::string> args = {"--interface", "rs485", "find"};
  args.insert(args.end(), c.find.begin(), c.find.end());
  const CliResult r = RunCli(On(sim.WorkingPort(), args));
  EXPECT_EQ(r.exitCode, c.exitCode) << r.out << r.err;
  EXPECT_EQ(Count(r.out, "найден прибор: порт " + sim.WorkingPort() + ", "), c.devices) << r.out;
  for (const std::string& line : c.lines) EXPECT_EQ(Count(r.out, line), 1u) << line << r.out;
  if (c.probed) {
    EXPECT_TRUE(Has(r.err, c.probed)) << r.err;
  }
  if (c.exitCode != 0) {
    EXPECT_TRUE(Has(r.err, "Прибор Vela не найден.")) << r.err;
  }
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

INSTANTIATE_TEST_SUITE_P(Cases, CliFindTest, ::testing::ValuesIn(kFindCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CliProfileTest, SavedEditedAppliedAndReadBack) {
  VelaSimProcess sim({"--both"});
  const std::string file = sim.PortsFolder() + "/../profile.json";
  const CliResult saved = RunCli(On(sim.ServicePort(), {"settings", "--save", file}));
  ASSERT_EQ(saved.exitCode, 0) << saved.out << saved.err;
  const std::string profile = ReadFile(file);
  EXPECT_TRUE(Has(profile, "\"serial_number\": \"123456\"")) << profile;
  std::string edited = Replaced(profile, "\"address\": 1,", "\"address\": 12,");
  edited = Replaced(edited, "\"network\": 4,", "\"network\": 3,");
  edited = Replaced(edited, "\"asdu_type\": 13,", "\"asdu_type\": 14,");
  WriteFile(file, edited);

  const CliResult applied = RunCli(On(sim.ServicePort(), {"configure", "--from", file, "--yes"}));
  ASSERT_EQ(applied.exitCode, 0) << applied.out << applied.err;
  for (const char* line :
       {"  address: 1 -> 12\n", "  network: 4 -> 3\n", "  iec.asdu_type: 13 -> 14\n",
        "Установки записаны и проверены чтением.\n"}) {
    EXPECT_TRUE(Has(applied.out, line)) << line << applied.out;
  }
  const CliResult again = RunCli(On(sim.ServicePort(), {"configure", "--from", file, "--yes"}));
  EXPECT_EQ(again.exitCode, 0) << again.out << again.err;
  EXPECT_TRUE(Has(again.out, "уже совпадают с профилем; ничего не записано.")) << again.out;
  EXPECT_FALSE(Has(again.out, "Запись настроек")) << again.out;

  const std::string readBack = sim.PortsFolder() + "/../read-back.json";
  ASSERT_EQ(RunCli(On(sim.ServicePort(), {"settings", "--save", readBack})).exitCode, 0);
  EXPECT_EQ(ReadFile(readBack), edited);
  std::remove(file.c_str());
  std::remove(readBack.c_str());
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

struct TBadProfile {
  const char* name;
  std::string text;
  std::vector<std::string> extra;  // beside configure --from FILE
  const char* message;
};

const TBadProfile kBadProfiles[] = {
    {"NotJson", "address = 5", {"--yes"}, "строка 1, позиция 1: ожидалось значение"},
    {"UnknownKey", R"({"address": 5, "parity": "E"})", {"--yes"}, "неизвестное поле \"parity\""},
    {"UnknownIecKey", R"({"iec": {"asdu": 13}})", {"--yes"}, "неизвестное поле \"iec.asdu\""},
    {"SpeedOutsideTheList",
     R"({"address": 5, "speed": 4800})",
     {"--yes"},
     "поле \"speed\": значение 4800 недопустимо"},
    {"AddressAsText", R"({"address": "5"})", {"--yes"}, "поле \"address\": значение \"5\""},
    {"FrameOfAnotherProtocol",
     R"({"address": 5, "frame": "7E1"})",
     {"--yes"},
     "поле \"frame\": формат 7E1 не подходит к протоколу MODBUS RTU"},
    {"NoTerminalNoYes", R"({"address": 5})", {}, "Нет терминала, чтобы подтвердить запись"},
};

class CliBadProfileTest : public ::testing::TestWithParam<TBadProfile> {};

TEST_P(CliBadProfileTest, IsRefusedAndNothingIsWritten) {
  const TBadProfile& c = GetParam();
  VelaSimProcess sim({"--trace"});
  const std::string file = sim.PortsFolder() + "/../bad.json";
  WriteFile(file, c.text);
  std::vector<std::string> args = {"configure", "--from", file};
  args.insert(args.end(), c.extra.begin(), c.extra.end());
  const CliResult r = RunCli(On(sim.ServicePort(), args));
  EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
  EXPECT_TRUE(Has(r.err, c.message)) << r.err;
  EXPECT_TRUE(Has(r.err, "ничего не записано") || Has(r.err, "Ничего не записано")) << r.err;
  const CliResult settings = RunCli(On(sim.ServicePort(), {"settings"}));
  EXPECT_TRUE(Has(settings.out, "Адрес: 1\n")) << settings.out;
  std::remove(file.c_str());
  // Function 16 (write multiple registers) never reached the device.
  EXPECT_FALSE(std::regex_search(sim.ErrorOutput(), std::regex("Rd: ?01 ?10")))
      << sim.ErrorOutput();
}

INSTANTIATE_TEST_SUITE_P(Cases, CliBadProfileTest, ::testing::ValuesIn(kBadProfiles),
                         [](const auto& info) { return std::string(info.param.name); });

std::string CheckedHtmlText(const std::string& file) {
  const std::string command =
      "python3 " VELALINK_SOURCE_DIR "/tests/cli/check_report_html.py '" + file + "' 2>&1";
  std::string text;
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[4096];
    for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) text.append(buffer, n);
    const int status = pclose(pipe);
    if (status != 0) ADD_FAILURE() << "not well-formed: " << text;
  }
  return text;
}

TEST(CliReportTest, HtmlParsesAndHoldsTheDigestTheDeviceAndTheValues) {
  VelaSimProcess sim({"--serial", "4711", "--three-wire"});
  const CliResult verify = RunCli(On(sim.ServicePort(), {"verify"}));
  std::smatch digest;
  ASSERT_TRUE(
      std::regex_search(verify.out, digest, std::regex("Цифровой идентификатор: ([0-9A-F]{64})")))
      << verify.out;
  for (const char* name : {"report.html", "report.md"}) {
    const std::string file = sim.PortsFolder() + "/../" + name;
    const CliResult r = RunCli(On(sim.ServicePort(), {"report", "--out", file}));
    ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
    const bool html = Has(name, ".html");
    const std::string text = html ? CheckedHtmlText(file) : ReadFile(file);
    for (const std::string& part :
         {digest[1].str(), std::string("004711"), std::string("41520100"),
          std::string("MODBUS RTU"), std::string("38400"), std::string("3-х проводная сеть"),
          std::string("Uab"), std::string("Гц"), std::string("Расхождение с часами компьютера")}) {
      EXPECT_TRUE(Has(text, part)) << name << ": " << part << "\n" << text;
    }
    EXPECT_TRUE(std::regex_search(text, std::regex("Ia\\s*\\|?\\s*\\d+[.,]\\d{4}"))) << text;
    std::remove(file.c_str());
  }
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

}  // namespace
}  // namespace vela::test
