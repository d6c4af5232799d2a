// velalink-cli against velasim over pseudo-terminals: each command as the
// operator runs it, checked by what it prints and by what the simulated
// device then holds.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>
#include <thread>

#include "tests/cli/CliProcess.h"
#include "tests/support/VelaSimProcess.h"

namespace vela::test {
namespace {

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

std::vector<std::string> With(std::vector<std::string> args, const std::string& port) {
  args.insert(args.begin(), {"--port", port, "--timeout", "20"});
  return args;
}

TEST(CliEndToEndTest, ADevicePathIsTheSamePortAndEveryCommandNamesIt) {
  VelaSimProcess sim;
  const std::string used = "Порт " + sim.ServicePort() + " (" + sim.DevicePath() + ")\n";
  for (const std::string& port : {sim.ServicePort(), sim.DevicePath()}) {
    const CliResult r = RunCli(With({"read"}, port));
    EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
    EXPECT_EQ(r.err.rfind(used, 0), 0u) << r.err;
  }
  const CliResult ports = RunCli({"ports"});
  EXPECT_EQ(ports.exitCode, 0) << ports.err;
  EXPECT_TRUE(Has(ports.out, sim.ServicePort() + "  " + sim.DevicePath() + "  доступ есть\n"))
      << ports.out;
}

TEST(CliEndToEndTest, ReadPrintsTheCellsAndTheClock) {
  VelaSimProcess sim;
  const CliResult r = RunCli(With({"read"}, sim.ServicePort()));
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_TRUE(Has(r.err, "Чтение выполнено.\n")) << r.err;
  EXPECT_TRUE(std::regex_search(r.out, std::regex("(^|\n)f = \\d+[.,]\\d{3} Гц\n"))) << r.out;
  EXPECT_TRUE(std::regex_search(r.out, std::regex("\nUab = \\d+[.,]\\d{2} В\n"))) << r.out;
  EXPECT_TRUE(std::regex_search(r.out, std::regex("\ncos = -?\\d[.,]\\d{4}\n"))) << r.out;
  EXPECT_TRUE(Has(r.out, "Часы прибора: ")) << r.out;
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

// A device that answers after 700 ms, later than any request's own time-out:
// read once succeeds only when --response-timeout waits long enough.
TEST(CliEndToEndTest, ALateDeviceIsReadWithALongerResponseTimeout) {
  const struct {
    std::vector<std::string> args;
    int exitCode;
  } cases[] = {{{"read"}, 1}, {{"read", "--response-timeout", "1500"}, 0}};
  for (const auto& c : cases) {
    VelaSimProcess sim({"--delay", "700"});  // each its own: no late answer left in the line
    const CliResult r = RunCli(With(c.args, sim.ServicePort()));
    EXPECT_EQ(r.exitCode, c.exitCode) << r.out << r.err;
    EXPECT_EQ(Has(r.err, "Чтение выполнено.\n"), c.exitCode == 0) << r.err;
    EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
  }
}

TEST(CliEndToEndTest, ThreeWireReadLeavesTheHiddenCellsOut) {
  VelaSimProcess sim({"--three-wire"});
  const CliResult r = RunCli(With({"read"}, sim.ServicePort()));
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_TRUE(Has(r.out, "\nIa = ")) << r.out;
  EXPECT_FALSE(Has(r.out, "\nUa = ")) << r.out;
  EXPECT_FALSE(Has(r.out, "\nPa = ")) << r.out;
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

TEST(CliEndToEndTest, HelpAndVersionGoToStandardOutput) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--help"}, {"read", "--help"}, {"--version"}}) {
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.exitCode, 0) << args[0];
    EXPECT_TRUE(r.err.empty()) << r.err;
    EXPECT_TRUE(std::regex_search(r.out, std::regex("^(Использование: velalink-cli|velalink-cli "
                                                    "\\d+\\.\\d+\\.\\d+\\.\\d+\n$)")))
        << r.out;
  }
}

// Scripts read the data alone on standard output, one line per reading as
// it comes; --quiet leaves standard error to the failures.
TEST(CliEndToEndTest, WatchPrintsEachReadingAsJsonWhileItRuns) {
  VelaSimProcess sim;
  CliProcess watch(With({"watch", "--format=json", "--quiet", "--stats"}, sim.ServicePort()));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  auto lines = [&] {
    const std::string out = watch.OutputSoFar();
    return std::count(out.begin(), out.end(), '\n');
  };
  while (lines() < 2 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the device's pace
  }
  EXPECT_GE(lines(), 2) << "readings are printed before the end";
  watch.Signal(SIGINT);
  const CliResult r = watch.Wait();
  EXPECT_EQ(r.exitCode, 0) << r.err;
  // The figures are no data: standard error has them, standard output only JSON.
  EXPECT_NE(r.err.find("Показаний прочитано: "), std::string::npos) << r.err;
  std::istringstream out(r.out);
  for (std::string line; std::getline(out, line);) {
    EXPECT_TRUE(nlohmann::json::accept(line)) << line;
    EXPECT_TRUE(std::regex_match(
        line,
        std::regex(
            R"(\{"time":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}[+-]\d\d:\d\d","values":\{"f":\{"value":\d+\.\d{3},"unit":"Гц","quality":null\},.*\}\})")))
        << line;
  }
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

// A watch stopped while its request is on the line waits for the device's
// late answer before it closes the port, so the next program's first
// exchange gets its own answer.
TEST(CliEndToEndTest, TheNextProgramFindsNoLateAnswerInTheLine) {
  VelaSimProcess sim({"--delay", "700"});
  const std::vector<std::string> link = {"--port", sim.ServicePort(), "--response-timeout", "1500",
                                         "--trace"};
  std::vector<std::string> args = link;
  args.push_back("watch");
  CliProcess watch(args);
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (!Has(watch.ErrorsSoFar(), " Wr: ") && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ASSERT_TRUE(Has(watch.ErrorsSoFar(), " Wr: ")) << "no request went out";
  watch.Signal(SIGINT);  // the answer comes 700 ms after the request
  watch.Wait();
  args = link;
  args.push_back("read");
  const CliResult read = RunCli(args);
  EXPECT_EQ(read.exitCode, 0) << read.err;
  EXPECT_FALSE(Has(read.err, "Exc: ")) << read.err;
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

// Each command that prints data, with --format json: one JSON value, an
// object or (for lists) an array.
TEST(CliEndToEndTest, EveryCommandPrintsJsonForScripts) {
  VelaSimProcess sim({"--both"});
  const std::string report = std::filesystem::path(testing::TempDir()) /
                             ("e2e_report_" + std::to_string(getpid()) + ".md");
  const struct {
    std::vector<std::string> args;
    char opening;
  } cases[] = {
      {{"--port", sim.ServicePort(), "settings"}, '{'},
      {{"--port", sim.ServicePort(), "verify"}, '{'},
      {{"--port", sim.WorkingPort(), "--interface", "rs485", "find", "--speeds", "38400",
        "--addresses", "1"},
       '['},
      {{"--port", sim.ServicePort(), "report", "--out", report}, '{'},
      {{"ports"}, '['},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = c.args;
    args.insert(args.end(), {"--format", "json", "--quiet"});
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.exitCode, 0) << c.args.back() << "\n" << r.err;
    EXPECT_TRUE(nlohmann::json::accept(r.out)) << r.out;
    EXPECT_EQ(r.out.substr(0, 1), std::string(1, c.opening)) << r.out;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 1) << r.out;
  }
  std::filesystem::remove(report);
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

struct StdoutCase {
  const char* name;
  TStdout to;
  int exitCode;
  const char* said;  // on standard error
};

class StdoutTest : public testing::TestWithParam<StdoutCase> {};

// Standard output that cannot take the data fails the command; one that was
// closed at start is /dev/null.
TEST_P(StdoutTest, EndsAsItsStandardOutputAllows) {
  const StdoutCase& c = GetParam();
  VelaSimProcess sim;
  const CliResult r = RunCli(With({"read"}, sim.ServicePort()), c.to);
  EXPECT_EQ(r.exitCode, c.exitCode) << r.err;
  EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Outputs, StdoutTest,
    testing::Values(StdoutCase{"full", TStdout::DevFull, 1, "стандартный вывод не записывается"},
                    StdoutCase{"closed", TStdout::Closed, 0, "Чтение выполнено."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliEndToEndTest, RecordingGoesToStandardOutputWithCsvDash) {
  VelaSimProcess sim;
  const CliResult r = RunCli(With({"watch", "--csv", "-", "--seconds", "3"}, sim.ServicePort()));
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out.rfind("\r\nTime;;Ua;Ub;Uc;Uo;;", 0), 0u) << r.out;
  EXPECT_TRUE(std::regex_search(r.out, std::regex("\r\n[^;\r\n]+;;[-0-9.,]+;"))) << r.out;
  EXPECT_TRUE(Has(r.err, "Непрерывное чтение...\n")) << r.err;
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

TEST(CliEndToEndTest, UsageErrorsExitWithTwo) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"reed"}, {"read", "--protocol", "iec101"}}) {
    const CliResult r = RunCli(args);
    EXPECT_EQ(r.exitCode, 2) << args[0];
    EXPECT_TRUE(Has(r.err, "Использование: velalink-cli")) << r.err;
  }
}

// Over RS-485 the device changes its link only when finalized: the write ends,
// and the device then answers on the factory link.
TEST(CliEndToEndTest, FactoryOverRs485EndsWithTheDeviceOnTheFactoryLink) {
  VelaSimProcess sim({"--both", "--address", "5", "--link-speed", "115200"});
  const CliResult r = RunCli(
      With({"factory", "--yes", "--interface", "rs485", "--speed", "115200", "--address", "5"},
           sim.WorkingPort()));
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_FALSE(Has(r.err, "Повтор запроса")) << r.err;
  EXPECT_TRUE(Has(r.err, "Прибор ответил на прежних параметрах связи")) << r.err;
  const CliResult factory = RunCli(With({"read", "--interface", "rs485"}, sim.WorkingPort()));
  EXPECT_EQ(factory.exitCode, 0) << factory.out << factory.err;
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

std::time_t DeviceClock(const std::string& out) {
  std::smatch m;
  if (!std::regex_search(out, m,
                         std::regex("Часы прибора: (\\d\\d)\\.(\\d\\d)\\.(\\d{4}) "
                                    "(\\d\\d):(\\d\\d):(\\d\\d)"))) {
    return -1;
  }
  std::tm t{};
  t.tm_mday = std::stoi(m[1]);
  t.tm_mon = std::stoi(m[2]) - 1;
  t.tm_year = std::stoi(m[3]) - 1900;
  t.tm_hour = std::stoi(m[4]);
  t.tm_min = std::stoi(m[5]);
  t.tm_sec = std::stoi(m[6]);
  t.tm_isdst = -1;
  return std::mktime(&t);  // the device keeps the computer's local time
}

std::string Gost12SumStandardOrder(const std::string& path) {
  FILE* pipe = ::popen(("gost12sum '" + path + "'").c_str(), "r");
  if (!pipe) return {};
  char line[512] = {};
  const bool got = std::fgets(line, sizeof line, pipe) != nullptr;
  ::pclose(pipe);
  if (!got) return {};
  // The tool prints the digest bytes in reverse order.
  const std::string printed(line, 64);
  std::string standard;
  for (int i = 62; i >= 0; i -= 2) standard += printed.substr(i, 2);
  for (char& c : standard) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return standard;
}

TEST(CliEndToEndTest, VerifyPrintsTheDigestOfItsOwnFile) {
  VelaSimProcess sim;
  const CliResult r = RunCli(With({"verify"}, sim.ServicePort()));
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  const std::string expected = Gost12SumStandardOrder(VELALINK_CLI_PATH);
  ASSERT_EQ(expected.size(), 64u) << "gost12sum missing?";
  EXPECT_TRUE(Has(r.out, "Цифровой идентификатор: " + expected + "\n")) << r.out;
  EXPECT_TRUE(Has(r.out, "Идентификационное наименование: Vela_sappl\n")) << r.out;
  EXPECT_TRUE(std::regex_search(r.out, std::regex("Номер версии: \\d+\\.\\d+\\.\\d+\\.\\d+\n")))
      << r.out;
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

TEST(CliEndToEndTest, VerifyOfAForeignDeviceFails) {
  VelaSimProcess sim({"--device", "foreign"});
  const CliResult r = RunCli(With({"verify"}, sim.ServicePort()));
  EXPECT_EQ(r.exitCode, 1) << r.out;
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

int CountRecords(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  int count = -1;  // the header's line
  const std::string s = text.str();
  for (size_t at = 0; (at = s.find("\r\n", at)) != std::string::npos; at += 2) ++count;
  return count;
}

// What the operator reads of a read: the log lines, without the values.
std::string LogLinesOf(const std::string& out) {
  std::istringstream in(out);
  std::string lines;
  for (std::string line; std::getline(in, line);) {
    if (!Has(line, " = ") && !Has(line, "Часы прибора: ")) lines += line + "\n";
  }
  return lines;
}

// The fast exchange (the default) ends only whole, valid answers early: a
// clean line reads as with --exact-timing, and a noisy, split or broken answer
// ends as it does there.
class FastReadTest : public testing::TestWithParam<const char*> {};

TEST_P(FastReadTest, EndsAsTheExactTimingDoes) {
  const std::string fault = GetParam();
  VelaSimProcess sim(fault.empty() ? std::vector<std::string>{} : std::vector{fault});
  const CliResult silence = RunCli(With({"--exact-timing", "--trace", "read"}, sim.ServicePort()));
  const CliResult fast = RunCli(With({"--trace", "read"}, sim.ServicePort()));
  EXPECT_EQ(fast.exitCode, silence.exitCode) << fast.out << silence.out;
  EXPECT_EQ(LogLinesOf(fast.out), LogLinesOf(silence.out));
  EXPECT_EQ(fast.exitCode == 0, fault.empty()) << fast.out;
  EXPECT_TRUE(Has(fast.err, "Обмен: быстрый")) << fast.err;
  EXPECT_TRUE(Has(silence.err, "Обмен: обычный")) << silence.err;
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

INSTANTIATE_TEST_SUITE_P(Faults, FastReadTest,
                         testing::Values("", "--noise", "--split", "--bad-checksum"),
                         [](const auto& info) {
                           std::string name = *info.param ? info.param + 2 : "clean";
                           std::replace(name.begin(), name.end(), '-', '_');
                           return name;
                         });

class WatchStopTest : public testing::TestWithParam<int> {};

TEST_P(WatchStopTest, RecordsOneLinePerCycleUntilTheSignal) {
  VelaSimProcess sim;
  const std::string csv = sim.PortsFolder() + "/../watch.csv";
  CliProcess watch(With({"watch", "--csv", csv, "--trace"}, sim.ServicePort()));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (CountRecords(csv) < 4 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the device's pace
  }
  watch.Signal(GetParam());
  const CliResult r = watch.Wait();
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_TRUE(Has(r.err, "Непрерывное чтение...\n")) << r.err;
  EXPECT_TRUE(Has(r.err, "Остановлено.\n")) << r.err;
  // One record per completed cycle; each cycle opens with GetLinkPrm4.
  int cycles = 0;
  for (size_t at = 0; (at = r.err.find("    <GetLinkPrm4>", at)) != std::string::npos; ++at) {
    ++cycles;
  }
  const int records = CountRecords(csv);
  EXPECT_GE(records, 4);
  EXPECT_TRUE(records == cycles || records == cycles - 1) << records << " " << cycles;
  std::filesystem::remove(csv);
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

struct WatchOutcome {
  const char* name;
  std::vector<std::string> simOptions;
  int exitCode;
  const char* printed;                       // on standard output (exit 0) or error
  std::vector<std::string> cliOptions = {};  // given: the working interface is read
  const char* figures = "обменов: [1-9]";    // on the --stats line after the readings
};

class WatchOutcomeTest : public testing::TestWithParam<WatchOutcome> {};

// A watch that never completed a reading is a failure, whatever stopped it.
TEST_P(WatchOutcomeTest, ExitCodeTellsWhetherAnyReadingCompleted) {
  const WatchOutcome& c = GetParam();
  VelaSimProcess sim(c.simOptions);
  std::vector<std::string> args = c.cliOptions;
  args.insert(args.end(), {"watch", "--seconds", "3", "--stats"});
  const CliResult r =
      RunCli(With(args, c.cliOptions.empty() ? sim.ServicePort() : sim.WorkingPort()));
  EXPECT_EQ(r.exitCode, c.exitCode) << r.out << r.err;
  // The figures are no data: they go to standard error, beside the log.
  EXPECT_TRUE(Has(r.err, c.printed)) << r.out << r.err;
  EXPECT_TRUE(
      std::regex_search(r.err, std::regex(std::string("Показаний прочитано: \\d+; ") + c.figures)))
      << r.err;
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

INSTANTIATE_TEST_SUITE_P(
    Devices, WatchOutcomeTest,
    testing::Values(WatchOutcome{"answering", {}, 0, "Показаний прочитано: "},
                    WatchOutcome{"badChecksum", {"--bad-checksum"}, 1, "Ни одного показания"},
                    WatchOutcome{"wrongAddress", {"--wrong-address"}, 1, "Ни одного показания"},
                    WatchOutcome{"silent", {"--no-answer"}, 1, "Ни одного показания"},
                    WatchOutcome{"iecEveryFifthUnanswered",
                                 {"--both", "--protocol", "iec", "--no-answer-every", "5"},
                                 0,
                                 "Показаний прочитано: ",
                                 {"--interface", "rs485", "--protocol", "iec101"},
                                 "обменов: [1-9]\\d*; ответов: [1-9]\\d*; без ответа: [1-9]"}),
    [](const auto& info) { return std::string(info.param.name); });

class ReadOutcomeTest : public testing::TestWithParam<WatchOutcome> {};

// A read that showed no value is a failure, whatever garbled the answers.
TEST_P(ReadOutcomeTest, ExitCodeTellsWhetherAnyValueWasShown) {
  VelaSimProcess sim(GetParam().simOptions);
  const CliResult r = RunCli(With({"read"}, sim.ServicePort()));
  EXPECT_EQ(r.exitCode, GetParam().exitCode) << r.out << r.err;
  EXPECT_TRUE(Has(GetParam().exitCode == 0 ? r.out : r.err, GetParam().printed)) << r.out << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Devices, ReadOutcomeTest,
    testing::Values(WatchOutcome{"answering", {}, 0, "\nIa = "},
                    WatchOutcome{"badChecksum", {"--bad-checksum"}, 1, "velalink-cli: "},
                    WatchOutcome{"wrongAddress", {"--wrong-address"}, 1, "velalink-cli: "},
                    WatchOutcome{"foreign", {"--device", "foreign"}, 1, "velalink-cli: "}),
    [](const auto& info) { return std::string(info.param.name); });

// The device goes away (velasim stopped, its port gone) and comes back on the
// same COMn: watch waits, reopens the port and goes on recording into the file.
TEST(WatchOutageTest, RidesThroughALostPortAndKeepsRecording) {
  VelaSimProcess keeper;  // holds the ports folder and the lowest COMn
  auto device = std::make_unique<VelaSimProcess>(std::vector<std::string>{}, keeper.PortsFolder());
  const std::string port = device->ServicePort();
  const std::string csv = keeper.PortsFolder() + "/../outage.csv";
  CliProcess watch(With({"watch", "--csv", csv}, port));
  const auto waitForRecords = [&](int count) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (CountRecords(csv) < count && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));  // the device's pace
    }
    return CountRecords(csv);
  };
  ASSERT_GE(waitForRecords(2), 2) << watch.OutputSoFar();
  device.reset();
  std::this_thread::sleep_for(std::chrono::seconds(1));  // the outage
  const int before = CountRecords(csv);
  device = std::make_unique<VelaSimProcess>(std::vector<std::string>{}, keeper.PortsFolder());
  ASSERT_EQ(device->ServicePort(), port);
  EXPECT_GE(waitForRecords(before + 2), before + 2) << watch.OutputSoFar();
  watch.Signal(SIGINT);
  const CliResult r = watch.Wait();
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  const auto count = [&](const std::string& part) {
    int n = 0;
    for (size_t at = 0; (at = r.err.find(part, at)) != std::string::npos; ++at) ++n;
    return n;
  };
  // The notices go to standard error, beside the log.
  EXPECT_EQ(count("Порт " + port + " потерян в "), 1) << r.err;
  EXPECT_EQ(count("Порт " + port + " снова доступен в "), 1) << r.err;
  EXPECT_TRUE(std::regex_search(r.err, std::regex("перерыв \\d+[.]\\d с"))) << r.err;
  // One file: the header once, every record whole.
  std::ifstream in(csv, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str().rfind("\r\nTime;;", 0), 0u);
  EXPECT_EQ(text.str().find("Time;;", 3), std::string::npos);
  std::filesystem::remove(csv);
}

INSTANTIATE_TEST_SUITE_P(Signals, WatchStopTest, testing::Values(SIGINT, SIGTERM),
                         [](const auto& info) {
                           return std::string(info.param == SIGINT ? "ctrlC" : "sigterm");
                         });

// IEC 60870-5-101 over the working interface: each simulated slave as the
// device's own options and faults make it, read once, the clock set (and
// read back over MODBUS on the service interface), continuous reading with
// CSV.
struct IecCase {
  const char* name;
  std::vector<std::string> simArgs, cliArgs;
  bool modbusReadBack = true;  // the fault leaves the service interface's MODBUS working
};

class CliIecTest : public testing::TestWithParam<IecCase> {
 protected:
  std::vector<std::string> Iec(std::vector<std::string> command, const VelaSimProcess& sim) const {
    std::vector<std::string> args = {"--interface", "rs485", "--protocol", "iec101"};
    args.insert(args.end(), GetParam().cliArgs.begin(), GetParam().cliArgs.end());
    args.insert(args.end(), command.begin(), command.end());
    return With(args, sim.WorkingPort());
  }
  static std::vector<std::string> SimArgs() {
    std::vector<std::string> args = {"--both", "--protocol", "iec"};
    args.insert(args.end(), GetParam().simArgs.begin(), GetParam().simArgs.end());
    return args;
  }
};

int ValueLines(const std::string& out) {
  int lines = 0;
  for (size_t at = 0; (at = out.find(" = ", at)) != std::string::npos; ++at) ++lines;
  return lines;
}

TEST_P(CliIecTest, ReadOnceAndSetTheClock) {
  VelaSimProcess sim(SimArgs());
  const CliResult read = RunCli(Iec({"read"}, sim));
  ASSERT_EQ(read.exitCode, 0) << read.out << read.err;
  EXPECT_EQ(ValueLines(read.out), 28) << read.out;
  EXPECT_TRUE(Has(read.out, "\ncos = ")) << read.out;
  const std::time_t before = std::time(nullptr);
  const CliResult sync = RunCli(Iec({"sync-clock"}, sim));
  ASSERT_EQ(sync.exitCode, 0) << sync.out << sync.err;
  const std::time_t reported = DeviceClock(sync.out);
  const CliResult modbus = GetParam().modbusReadBack ? RunCli(With({"read"}, sim.ServicePort()))
                                                     : CliResult{0, sync.out, ""};
  const std::time_t after = std::time(nullptr);
  ASSERT_EQ(modbus.exitCode, 0) << modbus.err;
  for (const std::time_t device : {reported, DeviceClock(modbus.out)}) {
    EXPECT_GE(device, before - 1) << sync.out << modbus.out;
    EXPECT_LE(device, after + 1) << sync.out << modbus.out;
  }
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

TEST_P(CliIecTest, WatchRecordsEveryValueOfEachReading) {
  VelaSimProcess sim(SimArgs());
  const std::string csv = sim.PortsFolder() + "/../iec-watch.csv";
  // The reading begins with a station interrogation: time for two more.
  const CliResult r = RunCli(Iec({"watch", "--seconds", "3", "--csv", csv}, sim));
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_GE(CountRecords(csv), 2);
  std::ifstream in(csv, std::ios::binary);
  auto filled = [](const std::string& line) {
    int count = 0;
    std::stringstream fields(line);
    for (std::string field; std::getline(fields, field, ';');) count += !field.empty();
    return count;
  };
  std::string header, record;
  while (std::getline(in, header) && header.rfind("Time;", 0) != 0) {
  }
  ASSERT_TRUE(std::getline(in, record));
  EXPECT_EQ(filled(record), filled(header)) << record;  // every column has its value
  std::filesystem::remove(csv);
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

INSTANTIATE_TEST_SUITE_P(
    Slaves, CliIecTest,
    testing::Values(IecCase{"StartLengths", {}, {}},
                    IecCase{"LongFieldsCommonAddress300",
                            {"--iec-lengths", "2,2,2,3", "--iec-common-address", "300"},
                            {"--iec-lengths", "2,2,2,3", "--iec-common-address", "300"}},
                    IecCase{"LinkAddress300",
                            {"--iec-lengths", "2,1,1,2", "--iec-link-address", "300"},
                            {"--iec-lengths", "2,1,1,2", "--address", "300"}},
                    IecCase{"SingleCharacterAnswers", {"--iec-e5"}, {}},
                    IecCase{"TimeTaggedValues", {"--iec-asdu", "14"}, {}},
                    IecCase{"SplitAnswers", {"--split"}, {}, false},
                    IecCase{"ExactTiming", {}, {"--exact-timing"}},
                    IecCase{"LateAnswersAt9600",
                            {"--link-speed", "9600", "--delay", "150"},
                            {"--speed", "9600"}}),
    [](const auto& info) { return std::string(info.param.name); });

// Slaves that behave as field lines do: read once still brings all 28 values.
class CliIecFieldTest : public CliIecTest {};

TEST_P(CliIecFieldTest, ReadOnceBringsEveryValue) {
  VelaSimProcess sim(SimArgs());
  const CliResult read = RunCli(Iec({"read"}, sim));
  ASSERT_EQ(read.exitCode, 0) << read.out << read.err;
  EXPECT_EQ(ValueLines(read.out), 28) << read.out;
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

INSTANTIATE_TEST_SUITE_P(
    Lines, CliIecFieldTest,
    testing::Values(IecCase{"AnswersAfter600ms", {"--delay", "600"}, {"--iec-timeout", "1000"}},
                    IecCase{"Normalised", {"--iec-asdu", "9"}, {}},
                    IecCase{"ScaledWithCp24", {"--iec-asdu", "12"}, {}},
                    IecCase{"NormalisedWithoutQuality", {"--iec-asdu", "21"}, {}},
                    IecCase{"NormalisedWithCp56", {"--iec-asdu", "34"}, {}},
                    IecCase{"ScaledWithCp56", {"--iec-asdu", "35"}, {}},
                    IecCase{"FloatWithCp56", {"--iec-asdu", "36"}, {}},
                    IecCase{"ValuesOnlyOnInterrogation", {"--iec-gi-only"}, {}},
                    IecCase{
                        "InterrogatedValuesInClass2", {"--iec-gi-only", "--iec-gi-class", "2"}, {}},
                    IecCase{"OneObjectPerAsdu", {"--iec-one-object"}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// Values with a 7-octet time tag: each carries its tag's time in the JSON.
TEST(CliIecTimeTagTest, JsonReadGivesEachValueItsTagTime) {
  VelaSimProcess sim({"--both", "--protocol", "iec", "--iec-asdu", "36"});
  const CliResult r =
      RunCli(With({"--interface", "rs485", "--protocol", "iec101", "read", "--format", "json"},
                  sim.WorkingPort()));
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  const nlohmann::json reading = nlohmann::json::parse(r.out, nullptr, false);
  ASSERT_TRUE(reading.is_object()) << r.out;
  EXPECT_EQ(reading["values"].size(), 28u) << r.out;
  for (const auto& [name, cell] : reading["values"].items()) {
    EXPECT_EQ(cell.value("time", "").find('T'), 10u) << name << " " << r.out;
  }
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

// A slave that begins every answer only after 5 s and sends its values only
// when interrogated: with an answer time to match, the wait for the
// interrogation's values and the command's budget grow with it.
TEST(CliIecSlowLineTest, ReadOnceWaitsAsLongAsTheAnswerTimeNeeds) {
  VelaSimProcess sim({"--both", "--protocol", "iec", "--iec-gi-only", "--delay", "5000"});
  const CliResult r = RunCli({"--port", sim.WorkingPort(), "--interface", "rs485", "--protocol",
                              "iec101", "--iec-timeout", "5500", "read"});
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_EQ(ValueLines(r.out), 28) << r.out;
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

// Values the slave marks invalid (IV): reported as such, not as missing, in
// the JSON and in the text output; the other values are read as usual.
TEST(CliIecInvalidTest, ReadReportsInvalidValuesAsInvalid) {
  VelaSimProcess sim({"--both", "--protocol", "iec", "--iec-invalid", "Ua,Ib"});
  const std::vector<std::string> read = {"--interface", "rs485", "--protocol", "iec101", "read"};
  std::vector<std::string> json = read;
  json.insert(json.end(), {"--format", "json"});
  const CliResult r = RunCli(With(json, sim.WorkingPort()));
  ASSERT_EQ(r.exitCode, 0) << r.out << r.err;
  const nlohmann::json reading = nlohmann::json::parse(r.out, nullptr, false);
  ASSERT_TRUE(reading.is_object()) << r.out;
  for (const char* name : {"Ua", "Ib"}) {
    EXPECT_TRUE(reading["values"][name]["value"].is_null()) << name << " " << r.out;
    EXPECT_EQ(reading["values"][name].value("quality", ""), "inv") << name << " " << r.out;
  }
  EXPECT_TRUE(reading["values"]["Ub"]["value"].is_number()) << r.out;
  const CliResult text = RunCli(With(read, sim.WorkingPort()));
  EXPECT_EQ(text.exitCode, 0) << text.out << text.err;
  EXPECT_TRUE(Has(text.out, "Ua = inv")) << text.out;
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

// A slave that restarts after every three data answers and then says its
// link is not functioning: the link is reset, the station interrogated again
// and the reading goes on.
TEST(CliIecRestartTest, WatchResetsTheLinkAndReadsOn) {
  VelaSimProcess sim({"--both", "--protocol", "iec", "--iec-restart", "3"});
  const std::string csv = sim.PortsFolder() + "/../iec-restart.csv";
  const CliResult r = RunCli(With(
      {"--interface", "rs485", "--protocol", "iec101", "watch", "--seconds", "3", "--csv", csv},
      sim.WorkingPort()));
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  EXPECT_GE(CountRecords(csv), 4);  // a reading per restart, three restarts behind at least
  std::filesystem::remove(csv);
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

// A slave of another common address: the read fails and the log names it,
// whether the slave sends its values unasked or refuses the interrogation.
TEST(CliIecCommonAddressTest, ReadOfAnotherCommonAddressFailsNamingIt) {
  const struct {
    std::vector<std::string> simArgs;
    const char* said;
  } cases[] = {
      {{"--iec-common-address", "5"}, "общим адресом 5, ожидается 1"},
      {{"--iec-common-address", "5", "--iec-gi-only"}, "неизвестный общий адрес ASDU 1"},
  };
  for (const auto& c : cases) {
    std::vector<std::string> args = {"--both", "--protocol", "iec"};
    args.insert(args.end(), c.simArgs.begin(), c.simArgs.end());
    VelaSimProcess sim(args);
    const CliResult r =
        RunCli(With({"--interface", "rs485", "--protocol", "iec101", "read"}, sim.WorkingPort()));
    EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
    EXPECT_TRUE(Has(r.out + r.err, c.said)) << r.out << r.err;
    EXPECT_FALSE(Has(r.out, "Чтение выполнено.")) << r.out;
    EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
  }
}

// A slave that sends values only when interrogated and an event every 100 ms:
// every record of watch is whole, the interrogation's values kept beside
// the events.
TEST(CliIecEventsTest, WatchRecordsAreCompleteBetweenEvents) {
  VelaSimProcess sim(
      {"--both", "--protocol", "iec", "--iec-gi-only", "--iec-events", "100", "--iec-one-object"});
  const std::string csv = sim.PortsFolder() + "/../iec-events.csv";
  const CliResult r = RunCli(With(
      {"--interface", "rs485", "--protocol", "iec101", "watch", "--seconds", "5", "--csv", csv},
      sim.WorkingPort()));
  EXPECT_EQ(r.exitCode, 0) << r.out << r.err;
  std::ifstream in(csv, std::ios::binary);
  const auto filled = [](const std::string& line) {
    int count = 0;
    std::stringstream fields(line);
    for (std::string field; std::getline(fields, field, ';');) count += !field.empty();
    return count;
  };
  std::string header;
  while (std::getline(in, header) && header.rfind("Time;", 0) != 0) {
  }
  int records = 0;
  for (std::string record; std::getline(in, record);) {
    if (record.empty() || record == "\r") continue;
    ++records;
    EXPECT_EQ(filled(record), filled(header)) << record;
  }
  EXPECT_GE(records, 3);
  std::filesystem::remove(csv);
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

}  // namespace
}  // namespace vela::test
