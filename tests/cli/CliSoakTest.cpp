// A short soak: watch against velasim with a fault in every k-th answer, in
// each protocol. The run must reach its exchange count (nothing stuck),
// report every fault the simulator made and hold its memory and descriptors;
// each reading is one line, none repeats the one before (the voltages rise
// with every reading), and a repeated request starts no cycle.

#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/cli/CliProcess.h"
#include "tests/support/VelaSimProcess.h"

namespace vela::test {
namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kInstrumented = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kInstrumented = true;
#else
constexpr bool kInstrumented = false;
#endif
#else
constexpr bool kInstrumented = false;
#endif

constexpr int kExchanges = 1500;  // the program samples itself after 1000
constexpr int kEvery = 50;        // five faults of each kind

struct SoakCase {
  const char* name;
  const char* simProtocol;
  const char* cliProtocol;
  bool splitTolerated;  // the FT 1.2 master puts a split answer together again
  bool cyclesCounted;   // --stats tells the cycles of the MODBUS job list
};

long long Figure(const std::string& text, const std::string& pattern) {
  std::smatch match;
  if (!std::regex_search(text, match, std::regex(pattern))) return -1;
  return std::stoll(match[1]);
}

// The figures at the end of the output, without the readings before them.
std::string Tail(const std::string& text) {
  return text.substr(text.size() > 800 ? text.size() - 800 : 0);
}

// Each reading's line without its time: the values alone.
std::vector<std::string> ValueLines(const std::string& out) {
  std::vector<std::string> lines;
  std::stringstream text(out);
  std::string line;
  while (std::getline(text, line))
    lines.push_back(line.substr(std::min(line.find(' '), line.size())));
  return lines;
}

class CliSoakTest : public testing::TestWithParam<SoakCase> {};

TEST_P(CliSoakTest, EveryFaultIsReportedAndNothingGrows) {
  const SoakCase& c = GetParam();
  VelaSimProcess sim({"--both", "--protocol", c.simProtocol, "--link-speed", "115200",
                      "--turnaround", "0", "--unpaced", "--ramp", "--fault-every",
                      std::to_string(kEvery)});
  const CliResult r = RunCli({"--port", sim.WorkingPort(), "--interface", "rs485", "--protocol",
                              c.cliProtocol, "--speed", "115200", "--quiet", "watch", "--exchanges",
                              std::to_string(kExchanges), "--seconds", "300", "--stats"});
  sim.Stop();
  const std::string made = sim.ErrorOutput();
  ASSERT_EQ(r.exitCode, 0) << Tail(r.err) << r.err;
  EXPECT_GE(Figure(r.err, "; обменов: (\\d+)"), kExchanges)
      << Tail(r.err);  // not stopped by the guard
  EXPECT_GT(Figure(r.err, "Показаний прочитано: (\\d+)"), 0) << Tail(r.err);

  const long long readings = Figure(r.err, "Показаний прочитано: (\\d+)");
  const std::vector<std::string> lines = ValueLines(r.out);
  EXPECT_EQ(static_cast<long long>(lines.size()), readings) << Tail(r.err);
  EXPECT_EQ(std::adjacent_find(lines.begin(), lines.end()), lines.end()) << r.out;
  if (c.cyclesCounted) {
    // The cycle still running when watch stops is no whole cycle.
    EXPECT_EQ(Figure(r.err, "Циклов чтения: (\\d+)"), readings - 1) << Tail(r.err);
  }

  const long long timeouts = Figure(r.err, "без ответа: (\\d+)");
  const long long bad = Figure(r.err, "искажённых ответов: (\\d+)");
  const long long refused = Figure(r.err, "ответов с исключением: (\\d+)");
  const long long silent =
      Figure(made, "нет ответа (\\d+)") + Figure(made, "опоздавший ответ (\\d+)");
  const long long garbled = Figure(made, "контрольная сумма (\\d+)") +
                            Figure(made, "чужой адрес (\\d+)") +
                            (c.splitTolerated ? 0 : Figure(made, "ответ по частям (\\d+)"));
  const long long busy = Figure(made, "прибор занят (\\d+)");
  ASSERT_GT(silent + garbled + busy, 0) << made;
  // The answer to the last request may still be on its way when watch stops.
  EXPECT_GE(timeouts, silent - 1) << Tail(r.err) << made;
  EXPECT_GE(bad, garbled - 1) << Tail(r.err) << made;
  EXPECT_GE(refused, busy - 1) << Tail(r.err) << made;

  const std::regex resources(
      "после 1000 обменов память (\\d+) кБ, дескрипторов (\\d+); в конце память (\\d+) кБ, "
      "дескрипторов (\\d+)");
  std::smatch m;
  ASSERT_TRUE(std::regex_search(r.err, m, resources)) << Tail(r.err);
  EXPECT_EQ(m[2], m[4]) << Tail(r.err);
  if (!kInstrumented) {  // a sanitizer's allocator keeps freed memory for a while
    EXPECT_LE(std::stoll(m[3]) - std::stoll(m[1]), 512) << Tail(r.err);
  }
}

INSTANTIATE_TEST_SUITE_P(Protocols, CliSoakTest,
                         testing::Values(SoakCase{"rtu", "rtu", "rtu", false, true},
                                         SoakCase{"ascii", "ascii", "ascii", false, true},
                                         SoakCase{"iec", "iec", "iec101", true, false}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela::test
