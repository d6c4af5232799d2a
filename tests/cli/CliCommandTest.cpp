// Each velalink-cli command in this process against the simulator's device
// model and line protocols, on a virtual clock: the exit code, how the
// engine's operation ended, and the shape of what went to standard output.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "app/cli/CliOptions.h"
#include "sim/DeviceModel.h"
#include "tests/cli/CliInProcess.h"
#include "tests/support/PlantedLink.h"

namespace vela::test {
namespace {

enum class TLine {
  Vela,       // a Vela on MODBUS RTU, address 1, 38400 8E1
  VelaIec,    // the same on IEC 60870-5-101, link address 1
  VelaAscii,  // a Vela on MODBUS ASCII, address 7, 9600 7E1
  Silent,     // nothing on the line
};

// What the row expects of the outcome, and of the device afterwards.
struct TAfter {
  const TOperationOutcome& outcome;
  const DeviceModel& device;
  TDateTime now;
};
using TFact = bool (*)(const TAfter&);

bool NoFact(const TAfter&) {
  return true;
}
bool ValuesShown(const TAfter& a) {
  return a.outcome.valuesShown;
}
bool ClockShownAndSet(const TAfter& a) {
  return !a.outcome.clockText.empty() && std::abs(a.device.ClockTime() - a.now) < 2.0 / 86400;
}
bool SettingsRead(const TAfter& a) {
  return a.outcome.settings && a.outcome.settings->address == 1 &&
         a.outcome.settings->serialNumber == 123456;
}
bool DeviceOnTheNewLink(const TAfter& a) {
  const LinkSettings link = a.device.Settings().ActiveLink();
  return link.protocol == LinkProtocol::ModbusAscii && link.address == 9 &&
         SpeedOfIndex(link.speedIndex) == 57600 && link.frameIndex == 1 &&
         a.device.Settings().ThreeWire();
}
bool FactoryLink(const TAfter& a) {
  return a.device.Settings().ActiveLink() == LinkSettings{};
}
bool StillAscii(const TAfter& a) {
  return a.device.Settings().ActiveLink().protocol == LinkProtocol::ModbusAscii;
}
bool Verified(const TAfter& a) {
  return a.outcome.identification && a.outcome.identification->verified;
}

struct TCommandCase {
  const char* name;
  std::vector<std::string> args;  // after --port; "{DIR}" is the test's own folder
  TLine line;
  int exitCode;
  TOutcomeEnd end;
  TOutcomeReason reason;
  TFact fact;
  int stdoutLines;             // -1: any number
  const char* stdoutStart;     // what standard output begins with
  const char* file = "";       // a file the command writes, in {DIR}
  const char* fileStart = "";  // what it begins with
  int fileLines = -1;          // -1: any number
  // Puts files in {DIR} before the command; false skips the row.
  bool (*prepare)(const std::filesystem::path& dir) = nullptr;
  const char* stderrHas = "";  // a text standard error holds
};

void PrintTo(const TCommandCase& c, std::ostream* os) {
  *os << c.name;
}

std::string Replaced(std::string text, const std::string& dir) {
  if (const size_t at = text.find("{DIR}"); at != std::string::npos) text.replace(at, 5, dir);
  return text;
}

int LineCount(const std::string& text) {
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// Rows with files prepared beforehand keep a file of root's beside them,
// which must come out unchanged.
constexpr char kRootsText[] = "{\"address\": 1}";

bool WriteRootsFile(const std::filesystem::path& dir) {
  std::ofstream(dir / "roots-file", std::ios::binary) << kRootsText;
  return true;
}
// A link at the name the command writes, planted by another user.
template <const char* kName>
bool PlantLink(const std::filesystem::path& dir) {
  return WriteRootsFile(dir) &&
         vela::testing::PlantForeignLink(dir, dir / "roots-file", dir / kName);
}
bool MakeFifo(const std::filesystem::path& dir) {
  return WriteRootsFile(dir) && ::mkfifo((dir / "p.json").c_str(), 0600) == 0;
}
constexpr char kReport[] = "r.md";
constexpr char kProfile[] = "p.json";
constexpr char kRecording[] = "w.csv";

class CliCommandTest : public ::testing::TestWithParam<TCommandCase> {};

TEST_P(CliCommandTest, EndsAsTheDeviceAllows) {
  const TCommandCase& c = GetParam();
  const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) /
                                    ("cli_command_" + std::to_string(getpid()) + "_" + c.name);
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  if (c.prepare && !c.prepare(dir)) GTEST_SKIP() << "needs root and the user nobody";
  std::vector<std::string> args = {"--port", "COM7"};
  for (const std::string& arg : c.args) args.push_back(Replaced(arg, dir.string()));
  if (c.exitCode == 2) {  // a usage error: velalink-cli ends before it opens the port
    EXPECT_THROW(cli::ParseCliOptions(args), cli::TCliUsageError);
    return;
  }
  VirtualClock virtualClock;
  DeviceConfig config;
  if (c.line == TLine::VelaIec) config.settings.link.protocol = LinkProtocol::Iec101;
  if (c.line == TLine::VelaAscii) config.settings.link = {LinkProtocol::ModbusAscii, 7, 0, 0};
  DeviceModel device(config, virtualClock);
  device.SetClockTime(virtualClock.Now() - 1.0 / 24);  // an hour behind
  std::vector<DeviceModel*> devices;
  if (c.line != TLine::Silent) devices.push_back(&device);
  const TCliRun run = RunCliInProcess(args, devices, virtualClock);
  const int exitCode = run.exitCode;
  const std::string& out = run.out;
  const std::string& err = run.err;

  EXPECT_EQ(exitCode, c.exitCode) << out << err;
  ASSERT_TRUE(run.outcome);
  const TOperationOutcome& outcome = *run.outcome;
  EXPECT_EQ(outcome.end, c.end) << OutcomeEndName(outcome.end);
  EXPECT_EQ(outcome.reason, c.reason) << OutcomeReasonName(outcome.reason);
  EXPECT_TRUE(c.fact({outcome, device, virtualClock.Now()}));
  if (c.stdoutLines >= 0) {
    EXPECT_EQ(LineCount(out), c.stdoutLines) << out;
  }
  EXPECT_EQ(out.rfind(c.stdoutStart, 0), 0u) << out;
  EXPECT_NE(err.find(c.stderrHas), std::string::npos) << err;
  if (c.prepare) {
    EXPECT_EQ(ReadAll(dir / "roots-file"), kRootsText);
  }
  if (*c.file) {
    const std::string text = ReadAll(dir / c.file);
    EXPECT_EQ(text.rfind(c.fileStart, 0), 0u) << text;
    if (c.fileLines >= 0) {
      EXPECT_EQ(LineCount(text), c.fileLines) << text;
    }
  }
  std::filesystem::remove_all(dir);
}

using enum TOutcomeEnd;
using enum TOutcomeReason;

// clang-format off
const TCommandCase kCommands[] = {
    {"read", {"read"}, TLine::Vela, 0, Done, None, ValuesShown, 29, "f = "},
    // Every reading on standard output and in the recording (after its header).
    {"watch", {"watch", "--csv", "{DIR}/w.csv", "--exchanges", "20"}, TLine::Vela, 0, Cancelled, None, ValuesShown, 2, "", "w.csv", "\r\nTime;", 3},
    {"sync_clock", {"sync-clock"}, TLine::Vela, 0, Done, None, ClockShownAndSet, 1, "Часы прибора: "},
    {"settings", {"settings"}, TLine::Vela, 0, Done, None, SettingsRead, 6, "серийный номер 123456"},
    {"configure", {"configure", "--set-protocol", "ascii", "--set-speed", "57600", "--set-frame", "7O1", "--set-address", "9", "--set-network", "3"}, TLine::Vela, 0, Done, None, DeviceOnTheNewLink, 6, "серийный номер 123456"},
    {"factory", {"factory", "--yes"}, TLine::VelaAscii, 0, Done, None, FactoryLink, 5, "Протокол: MODBUS RTU"},
    // No terminal to confirm on and no --yes: nothing is written.
    {"factory_unconfirmed", {"factory"}, TLine::VelaAscii, 1, Failed, None, StillAscii, 0, ""},
    {"verify", {"verify"}, TLine::Vela, 0, Done, None, Verified, 13, "[Идентификация программы]\n"},
    {"find", {"--interface", "rs485", "find", "--addresses", "1-2", "--speeds", "38400", "--protocols", "rtu"}, TLine::Vela, 0, Done, None, NoFact, 2, "найден прибор: порт COM7"},
    {"find_none", {"--interface", "rs485", "find", "--addresses", "1-2", "--speeds", "38400", "--protocols", "rtu"}, TLine::VelaAscii, 1, Failed, NoAnswer, NoFact, 0, ""},
    {"report", {"report", "--out", "{DIR}/r.md"}, TLine::Vela, 0, Done, None, ValuesShown, 1, "Отчёт записан: ", "r.md", "# Протокол пусконаладки"},
    {"report_to_stdout", {"report", "--out", "-"}, TLine::Vela, 0, Done, None, ValuesShown, -1, "# Протокол пусконаладки"},
    // Links planted by another user: whole files replace them, the recording refuses them.
    {"report_over_link", {"report", "--out", "{DIR}/r.md"}, TLine::Vela, 0, Done, None, ValuesShown, 1, "Отчёт записан: ", "r.md", "# Протокол пусконаладки", -1, PlantLink<kReport>},
    {"settings_over_link", {"settings", "--save", "{DIR}/p.json"}, TLine::Vela, 0, Done, None, SettingsRead, 7, "серийный номер 123456", "p.json", "{", -1, PlantLink<kProfile>},
    {"watch_over_link", {"watch", "--csv", "{DIR}/w.csv", "--exchanges", "20"}, TLine::Vela, 1, Failed, None, NoFact, 0, "", "", "", -1, PlantLink<kRecording>, "символическая ссылка другого пользователя"},
    // A profile must be a regular file: a FIFO is refused at once.
    {"configure_from_fifo", {"configure", "--from", "{DIR}/p.json", "--yes"}, TLine::Vela, 1, Failed, None, NoFact, 0, "", "", "", -1, MakeFifo, "это не обычный файл"},
    {"configure_from_file", {"configure", "--from", "{DIR}/roots-file", "--yes"}, TLine::Vela, 0, Done, None, SettingsRead, -1, "", "", "", -1, WriteRootsFile},
    {"iec_read", {"--interface", "rs485", "--protocol", "iec101", "read"}, TLine::VelaIec, 0, Done, None, ValuesShown, 28, "f = "},
    {"silent_read", {"read"}, TLine::Silent, 1, Failed, NoAnswer, NoFact, 0, ""},
    // Settings never read from this device are never written.
    {"configure_unread", {"--timeout", "1", "configure", "--set-address", "5"}, TLine::Silent, 1, Cancelled, None, NoFact, 0, ""},
    // "-" is standard output: the profile alone, no file named "-".
    {"settings_save_to_stdout", {"settings", "--save", "-"}, TLine::Vela, 0, Done, None, SettingsRead, -1, "{\n"},
    // --timeout bounds the whole search and a watch without readings.
    {"find_timeout", {"--interface", "rs485", "find", "--timeout", "5"}, TLine::Silent, 1, Cancelled, None, NoFact, 0, "", "", "", -1, nullptr, "Поиск не завершился за 5 с и прерван."},
    {"watch_timeout", {"watch", "--timeout", "5"}, TLine::Silent, 1, Cancelled, None, NoFact, 0, "", "", "", -1, nullptr, "За 5 с не прочитано ни одного показания"},
    // A usage error: the settings are read and written over MODBUS only.
    {"iec_settings", {"--interface", "rs485", "--protocol", "iec101", "settings"}, TLine::VelaIec, 2, Refused, ModbusOnly, NoFact, 0, ""},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Commands, CliCommandTest, ::testing::ValuesIn(kCommands),
                         [](const auto& info) { return std::string(info.param.name); });

// --format json and csv of the commands that print data: JSON one object
// (an array for lists) whose fields hold numbers as numbers; CSV a header and
// a line per record.
struct TFormatCase {
  const char* name;
  std::vector<std::string> args;  // after --port; "{DIR}" is the test's own folder
  TLine line;
  int exitCode;
  int records;  // the array's length or the CSV lines after the header; -1: any
  // JSON: (pointer into the object, or into the first record of an array,
  // and its value as JSON text); CSV: ("", the header), ("", the first line's start).
  std::vector<std::pair<const char*, const char*>> fields;
};

void PrintTo(const TFormatCase& c, std::ostream* os) {
  *os << c.name;
}

class CliFormatTest : public ::testing::TestWithParam<TFormatCase> {};

TEST_P(CliFormatTest, PrintsRecordsForScripts) {
  const TFormatCase& c = GetParam();
  const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) /
                                    ("cli_format_" + std::to_string(getpid()) + "_" + c.name);
  std::filesystem::create_directories(dir);
  std::vector<std::string> args = {"--port", "COM7"};
  for (const std::string& arg : c.args) args.push_back(Replaced(arg, dir.string()));
  VirtualClock clock;
  DeviceConfig config;
  if (c.line == TLine::VelaAscii) config.settings.link = {LinkProtocol::ModbusAscii, 7, 0, 0};
  DeviceModel device(config, clock);
  const TCliRun run = RunCliInProcess(args, {&device}, clock);
  EXPECT_EQ(run.exitCode, c.exitCode) << run.err;
  const bool json = std::find(c.args.begin(), c.args.end(), "json") != c.args.end();
  if (json) {
    EXPECT_EQ(LineCount(run.out), 1) << run.out;
    ASSERT_TRUE(nlohmann::json::accept(run.out)) << run.out;
    const nlohmann::json value = nlohmann::json::parse(run.out);
    if (c.records >= 0) {
      EXPECT_EQ(value.size(), static_cast<size_t>(c.records)) << run.out;
    }
    const nlohmann::json& record = value.is_array() && !value.empty() ? value[0] : value;
    for (const auto& [pointer, expected] : c.fields) {
      const nlohmann::json::json_pointer at(pointer);
      ASSERT_TRUE(record.contains(at)) << pointer << "\n" << run.out;
      EXPECT_EQ(record.at(at).dump(), expected) << pointer;
    }
  } else {
    if (c.records >= 0) {
      EXPECT_EQ(LineCount(run.out), c.records + 1) << run.out;
    }
    const std::string header = run.out.substr(0, run.out.find('\n'));
    ASSERT_EQ(c.fields.size(), 2u);
    EXPECT_EQ(header, c.fields[0].second);
    const std::string first = Replaced(c.fields[1].second, dir.string());
    EXPECT_EQ(run.out.find(first, header.size() + 1), header.size() + 1) << run.out;
  }
  std::filesystem::remove_all(dir);
}

// clang-format off
const TFormatCase kFormats[] = {
    {"settings_json", {"settings", "--format", "json"}, TLine::Vela, 0, -1, {{"/serial", "123456"}, {"/speed", "38400"}, {"/frame", "\"8E1\""}, {"/network", "\"4-wire\""}, {"/iec_common_address", "null"}}},
    {"settings_csv", {"settings", "--format", "csv"}, TLine::Vela, 0, 1, {{"", "serial;protocol;speed;frame;address;network;iec_link_address_length;iec_cot_length;iec_common_address_length;iec_ioa_length;iec_asdu_format;iec_common_address;iec_cyclic_transmission;iec_cyclic_interval"}, {"", "123456;MODBUS RTU;38400;8E1;1;4-wire;;;;;;;;\n"}}},
    {"verify_json", {"verify", "--format", "json"}, TLine::Vela, 0, -1, {{"/verified", "true"}, {"/program/identification_name", "\"VelaLink\""}, {"/device/identification_name", "\"Vela_sappl\""}, {"/device/serial", "123456"}}},
    {"verify_csv", {"verify", "--format", "csv"}, TLine::Vela, 0, 2, {{"", "software;name;identification_name;version;digital_id;algorithm;serial;hid;sid"}, {"", "program;"}}},
    {"find_json", {"--interface", "rs485", "find", "--addresses", "1-2", "--speeds", "38400", "--protocols", "rtu", "--format", "json"}, TLine::Vela, 0, 1, {{"/device", "\"vela\""}, {"/speed", "38400"}, {"/serial", "123456"}, {"/command", "\"velalink-cli --port COM7 --interface rs485 --protocol rtu --speed 38400 --frame 8E1 --address 1 read\""}}},
    {"find_csv", {"--interface", "rs485", "find", "--addresses", "1-2", "--speeds", "38400", "--protocols", "rtu", "--format", "csv"}, TLine::Vela, 0, 1, {{"", "device;port;protocol;speed;frame;address;serial;detail;command"}, {"", "vela;COM7;MODBUS RTU;38400;8E1;1;123456;;velalink-cli --port COM7"}}},
    // Nothing found: an empty list, and the exit code says so.
    {"find_none_json", {"--interface", "rs485", "find", "--addresses", "1-2", "--speeds", "38400", "--protocols", "rtu", "--format", "json"}, TLine::VelaAscii, 1, 0, {}},
    {"report_json", {"report", "--out", "{DIR}/r.md", "--format", "json"}, TLine::Vela, 0, -1, {{"/document", "\"markdown\""}, {"/serial", "123456"}}},
    {"report_csv", {"report", "--out", "{DIR}/r.html", "--format", "csv"}, TLine::Vela, 0, 1, {{"", "file;document;serial;values;wiring_findings"}, {"", "{DIR}"}}},
    {"ports_json", {"ports", "--format", "json"}, TLine::Vela, 0, -1, {}},
    {"ports_csv", {"ports", "--format", "csv"}, TLine::Vela, 0, -1, {{"", "name;node;by_id;usb;vendor_id;product_id;manufacturer;product;serial;description;accessible;ownership;advice"}, {"", ""}}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Formats, CliFormatTest, ::testing::ValuesIn(kFormats),
                         [](const auto& info) { return std::string(info.param.name); });

// The commissioning report carries the device software's whole
// identification, as verify's identification report gives it.
TEST(CliCommissionReportTest, CarriesTheIdentificationVerifyReports) {
  const std::filesystem::path dir = std::filesystem::path(::testing::TempDir()) /
                                    ("cli_report_ident_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  VirtualClock clock;
  DeviceModel device(DeviceConfig{}, clock);
  const TCliRun verify = RunCliInProcess({"--port", "COM7", "verify"}, {&device}, clock);
  const std::string report = (dir / "r.md").string();
  const TCliRun run =
      RunCliInProcess({"--port", "COM7", "report", "--out", report}, {&device}, clock);
  ASSERT_EQ(verify.exitCode, 0) << verify.err;
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const std::string text = ReadAll(report);
  // The device software's lines: from the name before its identification name.
  const size_t deviceLines = verify.out.rfind(
      "Наименование: ", verify.out.find("Идентификационное наименование: Vela_sappl"));
  const auto field = [&](const std::string& caption) {
    const size_t at = verify.out.find(caption + ": ", deviceLines);
    if (at == std::string::npos) return std::string("(не в отчёте verify)");
    const size_t from = at + caption.size() + 2;
    std::string value = verify.out.substr(from, verify.out.find('\n', from) - from);
    if (!value.empty() && value.back() == '.') value.pop_back();
    return value;
  };
  const struct {
    const char* row;
    std::string value;
  } rows[] = {{"Наименование ПО", field("Наименование")},
              {"Идентификационное наименование ПО", "Vela\\_sappl"},
              {"Номер версии ПО", field("Номер версии")},
              {"Цифровой идентификатор ПО", field("Цифровой идентификатор")},
              {"Алгоритм вычисления цифрового идентификатора ПО", field("Алгоритм вычисления")}};
  ASSERT_NE(deviceLines, std::string::npos) << verify.out;
  for (const auto& row : rows) {
    EXPECT_NE(text.find("| " + std::string(row.row) + " | " + row.value + " |"), std::string::npos)
        << row.row << " = " << row.value << "\n"
        << text;
  }
  std::filesystem::remove_all(dir);
}

// A reading whose block brought nothing (every second read of that block has
// no answer or exception 6): its fields are empty in that reading's line,
// never the previous reading's values or a mark, the voltages (rising with
// every reading of them) never repeat, and each reading is one line.
struct TBlockFaultCase {
  const char* name;
  ValueBlock block;
  LineFault kind;
  std::vector<std::string> columns;  // the block's fields in a CSV line
};

void PrintTo(const TBlockFaultCase& c, std::ostream* os) {
  *os << c.name;
}

std::vector<std::string> Fields(const std::string& line) {
  std::vector<std::string> fields;
  std::stringstream text(line);
  std::string field;
  while (std::getline(text, field, ';')) fields.push_back(field);
  if (!line.empty() && line.back() == ';') fields.emplace_back();
  return fields;
}

long long Figure(const std::string& text, const std::string& pattern) {
  std::smatch match;
  if (!std::regex_search(text, match, std::regex(pattern))) return -1;
  return std::stoll(match[1]);
}

class CliBlockFaultTest : public ::testing::TestWithParam<TBlockFaultCase> {};

TEST_P(CliBlockFaultTest, ReadingsHoldOnlyWhatWasMeasured) {
  const TBlockFaultCase& c = GetParam();
  VirtualClock virtualClock;
  DeviceConfig config;
  config.ramp = true;
  config.blockFault = {c.block, c.kind, 2};
  DeviceModel device(config, virtualClock);
  const TCliRun run = RunCliInProcess(
      {"--port", "COM7", "--quiet", "watch", "--format", "csv", "--exchanges", "80", "--stats"},
      {&device}, virtualClock);
  EXPECT_EQ(run.exitCode, 0);
  const std::string& out = run.out;
  const std::string& err = run.err;

  std::stringstream lines(out);
  std::string text;
  std::getline(lines, text);
  const std::vector<std::string> header = Fields(text);
  const auto column = [&](const std::string& name) {
    return static_cast<size_t>(std::find(header.begin(), header.end(), name) - header.begin());
  };
  std::vector<std::vector<std::string>> rows;
  while (std::getline(lines, text)) rows.push_back(Fields(text));
  ASSERT_GE(rows.size(), 4u) << out;
  EXPECT_EQ(Figure(err, "Показаний прочитано: (\\d+)"), static_cast<long long>(rows.size())) << err;
  for (size_t i = 0; i < rows.size(); ++i) {
    SCOPED_TRACE("reading " + std::to_string(i + 1));
    ASSERT_EQ(rows[i].size(), header.size());
    const bool faulted = (i + 1) % 2 == 0;
    for (const std::string& name : c.columns)
      EXPECT_EQ(rows[i][column(name)].empty(), faulted) << name;
    for (const char* name : {"f", "Ua", "Ia", "P", "cos", "cosA"}) {
      const bool ofTheBlock =
          std::find(c.columns.begin(), c.columns.end(), name) != c.columns.end();
      if (!ofTheBlock) {
        EXPECT_FALSE(rows[i][column(name)].empty()) << name;
      }
    }
    if (i > 0 && !rows[i][column("Ua")].empty()) {
      EXPECT_NE(rows[i][column("Ua")], rows[i - 1][column("Ua")]);
    }
  }
}

const std::vector<std::string> kMainColumns = {"P",  "Q",  "S",  "Uab", "Ubc", "Uca", "Ia", "Ib",
                                               "Ic", "Io", "Ua", "Ub",  "Uc",  "Uo",  "Pa", "Pb",
                                               "Pc", "Qa", "Qb", "Qc",  "Sa",  "Sb",  "Sc"};

// clang-format off
const TBlockFaultCase kBlockFaults[] = {
    {"values_no_answer", ValueBlock::kValues, LineFault::kNoAnswer, kMainColumns},
    {"values_busy", ValueBlock::kValues, LineFault::kBusy, kMainColumns},
    {"f_no_answer", ValueBlock::kFrequency, LineFault::kNoAnswer, {"f"}},
    {"f_busy", ValueBlock::kFrequency, LineFault::kBusy, {"f"}},
    {"time_no_answer", ValueBlock::kClock, LineFault::kNoAnswer, {}},
    {"time_busy", ValueBlock::kClock, LineFault::kBusy, {}},
    {"cos3_no_answer", ValueBlock::kTotalCos, LineFault::kNoAnswer, {"cos"}},
    {"cos3_busy", ValueBlock::kTotalCos, LineFault::kBusy, {"cos"}},
    {"cos4_no_answer", ValueBlock::kPhaseCos, LineFault::kNoAnswer, {"cosA", "cosB", "cosC"}},
    {"cos4_busy", ValueBlock::kPhaseCos, LineFault::kBusy, {"cosA", "cosB", "cosC"}},
};
// clang-format on

INSTANTIATE_TEST_SUITE_P(Blocks, CliBlockFaultTest, ::testing::ValuesIn(kBlockFaults),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela::test
