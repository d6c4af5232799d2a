// Link options from VELALINK_* and cli.conf: the command line wins over the
// environment, the environment over the file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "app/cli/CliOptions.h"

namespace vela::cli {
namespace {

struct DefaultsCase {
  const char* name;
  const char* environmentPort;       // VELALINK_PORT; nullptr: unset
  const char* environmentInterface;  // VELALINK_INTERFACE; nullptr: unset
  const char* file;                  // cli.conf; nullptr: none
  std::vector<std::string> args;
  const char* expected;  // "port interface", or a part of the complaint
};

class CliDefaultsTest : public ::testing::TestWithParam<DefaultsCase> {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() / ("cli-defaults-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder_ / "velalink");
    setenv("XDG_CONFIG_HOME", folder_.c_str(), 1);
  }
  void TearDown() override {
    for (const char* name : {"XDG_CONFIG_HOME", "VELALINK_PORT", "VELALINK_INTERFACE"}) {
      unsetenv(name);
    }
    std::filesystem::remove_all(folder_);
  }
  std::filesystem::path folder_;
};

TEST_P(CliDefaultsTest, CommandLineThenEnvironmentThenFile) {
  const DefaultsCase& c = GetParam();
  if (c.environmentPort) setenv("VELALINK_PORT", c.environmentPort, 1);
  if (c.environmentInterface) setenv("VELALINK_INTERFACE", c.environmentInterface, 1);
  if (c.file) std::ofstream(folder_ / "velalink" / "cli.conf") << c.file;
  std::string outcome;
  try {
    const TCliOptions o = ParseCliOptions(c.args);
    outcome = o.port + " " + (o.rs485 ? "rs485" : "usb");
  } catch (const TCliUsageError& e) {
    outcome = e.what();
  }
  EXPECT_NE(outcome.find(c.expected), std::string::npos) << outcome;
}

INSTANTIATE_TEST_SUITE_P(
    Sources, CliDefaultsTest,
    ::testing::Values(
        DefaultsCase{"None", nullptr, nullptr, nullptr, {"read"}, " usb"},
        DefaultsCase{"Environment", "COM5", "rs485", nullptr, {"read"}, "COM5 rs485"},
        DefaultsCase{"File",
                     nullptr,
                     nullptr,
                     "# site\nport = COM9\ninterface=rs485\n",
                     {"read"},
                     "COM9 rs485"},
        DefaultsCase{"EnvironmentOverFile", "COM5", nullptr, "port = COM9\n", {"read"}, "COM5 usb"},
        DefaultsCase{"CommandLineOverBoth",
                     "COM5",
                     "rs485",
                     "port = COM9\n",
                     {"--port", "COM2", "--interface", "usb", "read"},
                     "COM2 usb"},
        DefaultsCase{"BadFileLine",
                     nullptr,
                     nullptr,
                     "port COM9\n",
                     {"read"},
                     "cli.conf, строка 1: нужно \"параметр = значение\""},
        DefaultsCase{
            "BadValueNamed", nullptr, "can", nullptr, {"read"}, "Недопустимый интерфейс \"can\""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela::cli
