// The commissioning commands' options, the order in which `find` probes and
// the time-out of one probe.

#include <gtest/gtest.h>

#include <algorithm>

#include "app/cli/CliFind.h"
#include "app/cli/CliOptions.h"

namespace vela::cli {
namespace {

struct TRefused {
  std::vector<std::string> args;
  const char* messagePart;
};

class RefusedCommissionOptionsTest : public testing::TestWithParam<TRefused> {};

TEST_P(RefusedCommissionOptionsTest, SayWhatIsWrong) {
  try {
    ParseCliOptions(GetParam().args);
    FAIL() << "accepted";
  } catch (const TCliUsageError& e) {
    EXPECT_NE(std::string(e.what()).find(GetParam().messagePart), std::string::npos) << e.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusedCommissionOptionsTest,
    testing::Values(TRefused{{"find", "--protocols", "rtu,iec"}, "rtu, ascii"},
                    TRefused{{"find", "--protocols", "rtu,"}, "\"\""},
                    TRefused{{"find", "--speeds", "4800"}, "Недопустимая скорость --speeds"},
                    TRefused{{"find", "--addresses", "0-5"}, "от 1 до 247"},
                    TRefused{{"find", "--addresses", "20-10"}, "от 1 до 247"},
                    TRefused{{"find", "--addresses", "1-300"}, "от 1 до 247"},
                    TRefused{{"find", "--addresses", "-5"}, "от 1 до 247"},
                    TRefused{{"find", "--probe-timeout", "5"}, "от 10 до 10000"},
                    TRefused{{"read", "--all"}, "только к команде find"},
                    TRefused{{"read", "--save", "p.json"}, "только к команде settings"},
                    TRefused{{"settings", "--yes"}, "только к командам configure и factory"},
                    TRefused{{"configure", "--from", "p.json", "--set-address", "5"},
                             "либо --from"},
                    TRefused{{"report"}, "--out ФАЙЛ.html"},
                    TRefused{{"report", "--out", "report.pdf"}, ".html или .md"}));

TEST(CliCommissionOptionsTest, FindNarrowing) {
  const TCliOptions o = ParseCliOptions({"find", "--interface", "rs485", "--protocols", "ascii",
                                         "--speeds", "9600,230400", "--addresses", "3,1-2,247",
                                         "--all", "--probe-timeout", "40"});
  EXPECT_EQ(o.command, TCommand::Find);
  EXPECT_EQ(o.commission.find.protocols, std::vector<int>{1});
  EXPECT_EQ(o.commission.find.speeds, (std::vector<int>{9600, 230400}));
  EXPECT_EQ(o.commission.find.addresses, (std::vector<int>{3, 1, 2, 247}));
  EXPECT_TRUE(o.commission.find.all);
  EXPECT_EQ(o.commission.find.probeTimeoutMs, 40);
}

const std::vector<int> kDeviceSpeeds = {9600, 19200, 38400, 57600, 76800, 115200, 230400};

TEST(FindOrderTest, FactoryThenAddressOneThenTheCommonAddresses) {
  const std::vector<TProbePoint> order = SearchOrder({}, kDeviceSpeeds);
  ASSERT_EQ(order.size(), 2u * 7 * 3 * 247);  // every point once
  EXPECT_EQ(order[0].setting, (TLineSetting{0, 38400, 0}));
  EXPECT_EQ(order[0].address, 1);
  const auto firstAt = [&](int address) {
    return std::find_if(order.begin(), order.end(),
                        [&](const TProbePoint& p) { return p.address == address; }) -
           order.begin();
  };
  EXPECT_EQ(firstAt(2), 42);  // all 42 settings at address 1 come first
  EXPECT_LT(firstAt(10), firstAt(247));
  EXPECT_LT(firstAt(247), firstAt(20));
  EXPECT_LT(firstAt(240), firstAt(11));
  EXPECT_LT(firstAt(32), firstAt(33));
  EXPECT_EQ(order[42].setting, order[0].setting);  // the factory setting first at each address
}

TEST(FindOrderTest, NarrowedToTheOptions) {
  TFindOptions options;
  options.protocols = {1};
  options.speeds = {19200};
  options.addresses = {5, 3};
  const std::vector<TProbePoint> order = SearchOrder(options, kDeviceSpeeds);
  ASSERT_EQ(order.size(), 6u);
  EXPECT_EQ(order[0].address, 3);  // the common order, not the order given
  for (const TProbePoint& p : order) EXPECT_EQ(p.setting.baud, 19200);
}

struct TTimeoutCase {
  TLineSetting setting;
  int request, answer, expectedMs;
};

class ProbeTimeoutTest : public testing::TestWithParam<TTimeoutCase> {};

TEST_P(ProbeTimeoutTest, WireTimePlusTheDeviceAndThePortGap) {
  const TTimeoutCase& c = GetParam();
  EXPECT_EQ(ProbeTimeoutMs(c.setting, c.request, c.answer), c.expectedMs);
  EXPECT_EQ(ProbeTimeoutMs(c.setting, c.request, c.answer, false), c.expectedMs - 50);
}

// 11 or 10 bits an octet; + 20 ms device, 50 ms port gap, 15 ms margin.
INSTANTIATE_TEST_SUITE_P(
    Cases, ProbeTimeoutTest,
    testing::Values(TTimeoutCase{{0, 115200, 0}, 8, 21, 89},  // 32.5 octets: 3.1 ms
                    TTimeoutCase{{0, 9600, 2}, 8, 21, 123},   // 37.2 ms
                    TTimeoutCase{{1, 9600, 0}, 17, 43, 152},  // 10 bits: 66.1 ms
                    TTimeoutCase{{1, 230400, 1}, 17, 43, 88}));

}  // namespace
}  // namespace vela::cli
