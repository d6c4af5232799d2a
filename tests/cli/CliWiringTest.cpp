// velalink-cli wiring against velasim wired with each fault, over MODBUS on
// the service interface and IEC 60870-5-101 on the working one: the findings
// of the JSON output and the exit code.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "tests/cli/CliProcess.h"
#include "tests/support/VelaSimProcess.h"

namespace vela::test {
namespace {

struct TWiringCase {
  const char* name;
  std::vector<std::string> simArgs;
  const char* expected;  // "code:phases" joined by spaces
};

const TWiringCase kWiringCases[] = {
    {"Healthy", {"--load-angle", "-20"}, ""},
    {"CtReversedB", {"--wiring", "ct-reversed:B"}, "ct-reversed:B"},
    {"CurrentsSwappedAB",
     {"--wiring", "currents-swapped:A,B", "--load-angle", "50"},
     "currents-swapped:AB"},
    {"VtReversedC", {"--wiring", "vt-reversed:C"}, "vt-reversed:C"},
    {"VoltageMissingA", {"--wiring", "voltage-missing:A"}, "voltage-missing:A"},
    {"CurrentMissingC", {"--wiring", "current-missing:C"}, "current-missing:C"},
    {"ThreeWireCurrentMissingB",
     {"--three-wire", "--wiring", "current-missing:B"},
     "current-missing:B"},
};

std::string Codes(const nlohmann::json& json) {
  std::string codes;
  for (const auto& finding : json.at("findings")) {
    if (!codes.empty()) codes += ' ';
    codes.append(finding.at("code").get<std::string>()).append(":");
    for (const auto& phase : finding.at("phases")) codes += phase.get<std::string>();
  }
  return codes;
}

class CliWiringTest : public testing::TestWithParam<std::tuple<TWiringCase, bool>> {};

TEST_P(CliWiringTest, FindsTheFaultTheSimulatorIsWiredWith) {
  const auto& [c, iec] = GetParam();
  std::vector<std::string> simArgs = c.simArgs;
  if (iec) simArgs.insert(simArgs.end(), {"--both", "--protocol", "iec"});
  VelaSimProcess sim(simArgs);
  std::vector<std::string> args = {"--timeout", "20", "--quiet"};
  if (iec) {
    args.insert(args.end(),
                {"--port", sim.WorkingPort(), "--interface", "rs485", "--protocol", "iec101"});
  } else {
    args.insert(args.end(), {"--port", sim.ServicePort()});
  }
  args.insert(args.end(), {"wiring", "--format", "json"});
  const CliResult r = RunCli(args);
  EXPECT_EQ(r.exitCode, *c.expected ? 3 : 0) << r.out << r.err;
  const nlohmann::json json = nlohmann::json::parse(r.out, nullptr, false);
  ASSERT_FALSE(json.is_discarded()) << r.out << r.err;
  EXPECT_EQ(Codes(json), c.expected) << r.out;
}

INSTANTIATE_TEST_SUITE_P(Faults, CliWiringTest,
                         testing::Combine(testing::ValuesIn(kWiringCases), testing::Bool()),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param).name) +
                                  (std::get<1>(info.param) ? "Iec" : "Modbus");
                         });

// No reading: exit 1; a format the command does not have: exit 2.
TEST(CliWiringExitTest, NoReadingAndABadCommandLine) {
  VelaSimProcess sim({"--no-answer"});
  EXPECT_EQ(RunCli({"--port", sim.ServicePort(), "--timeout", "5", "wiring"}).exitCode, 1);
  EXPECT_EQ(RunCli({"--port", sim.ServicePort(), "wiring", "--format", "csv"}).exitCode, 2);
}

}  // namespace
}  // namespace vela::test
