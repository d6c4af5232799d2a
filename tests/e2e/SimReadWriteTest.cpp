// Every register block read from velasim over a pseudo-terminal in RTU and in
// ASCII, and a settings write that moves the working interface.

#include <gtest/gtest.h>

#include <cstdlib>

#include "common/ArkCmnUtils.h"
#include "modbus/ModbusBlockOps.h"
#include "modbus/ModbusParamBlocks.h"
#include "modbus/ModbusValueBlocks.h"
#include "tests/e2e/SimMaster.h"
#include "tests/support/VelaSimProcess.h"

namespace vela {
namespace {

using test::MasterLine;
using test::SimMaster;
using test::VelaSimProcess;

double Signed(uint16_t raw, double step) {
  return static_cast<int16_t>(raw) * step;
}

struct ReadCase {
  const char* name;
  std::vector<std::string> args;
  bool working;
  MasterLine line;
  uint8_t speedIndex;
};

class ReadsEveryBlock : public testing::TestWithParam<ReadCase> {};

template <typename Block>
Block ReadValues(SimMaster& master) {
  Block block;
  const Octets answer = master.Answer(RequestValues(master.Packer(), block));
  EXPECT_EQ(test::Outcome([&] { ParseValues(master.Packer(), block, answer); }), "");
  return block;
}

template <typename Block>
Block ReadParams(SimMaster& master) {
  Block block;
  const Octets answer = master.Answer(RequestParams(master.Packer(), block));
  EXPECT_EQ(test::Outcome([&] { ParseParams(master.Packer(), block, answer); }), "");
  return block;
}

TEST_P(ReadsEveryBlock, AndDecodesWhatTheDeviceReports) {
  const ReadCase& c = GetParam();
  VelaSimProcess sim(c.args);
  SimMaster master(c.working ? sim.WorkingPort() : sim.ServicePort(), c.line);

  const auto info = ReadValues<TMbusDevInfo>(master);
  EXPECT_EQ(info.GetHID(), 0x41520100u);
  EXPECT_EQ(info.GetSerial(), 123456u);
  EXPECT_EQ(info.GetSID(), 0x01030000u);
  EXPECT_EQ(info.GetDigitalId(), 0x5A3C);
  EXPECT_NEAR(ReadValues<TModbusValuesF>(master).GetFrequency() * 0.001, 50.0, 0.05);
  const auto values = ReadValues<TModbusValues4Wire>(master);
  EXPECT_NEAR(values.GetUa() * 0.01, 230.0, 3.0);
  EXPECT_NEAR(values.GetUca() * 0.02, 398.4, 5.0);
  EXPECT_NEAR(values.GetIb() * 0.0002, 5.0, 1.0);
  EXPECT_NEAR(Signed(values.GetP(), 0.2), 3100.0, 600.0);
  EXPECT_NEAR(Signed(values.GetQc(), 0.1), 500.0, 400.0);
  EXPECT_NEAR(ReadValues<TModbusValues3Wire>(master).GetUab() * 0.02, 398.4, 5.0);
  EXPECT_NEAR(Signed(ReadValues<TModbusValues4Cos>(master).GetCosB(), 0.0001), 0.9, 0.06);
  EXPECT_NEAR(Signed(ReadValues<TModbusValues3Cos>(master).GetCos(), 0.0001), 0.9, 0.06);

  const auto time = ReadParams<TModbusParamsTime>(master);
  const int64_t now = DateTimeToSeconds(SystemClock::Instance().Now());
  EXPECT_LE(std::llabs(static_cast<int64_t>(time.GetSeconds()) - now), 2);
  const auto link = ReadParams<TModbusParamsLink>(master);
  EXPECT_EQ(link.GetSpeedIndex(), c.speedIndex);
  EXPECT_EQ(link.GetSerialNumber(), 123456u);
  EXPECT_EQ(link.GetIecIoaLength(), 2);
  const auto main = ReadParams<TModbusParamsMain>(master);
  EXPECT_EQ(main.GetNormalisationType(), 3);
  EXPECT_FALSE(main.GetThreeWire());
  EXPECT_EQ(ReadParams<TModbusParamsLink2>(master).GetIecAsduType(), 13);
  EXPECT_EQ(ReadParams<TModbusParamsLink3>(master).GetIecCycleInterval(), 1000);
  EXPECT_EQ(ReadParams<TModbusParamsLink4>(master).GetIecCommonAddress(), 1);
  EXPECT_TRUE(master.Failures().empty());
  EXPECT_EQ(sim.Stop(), 0);
  EXPECT_FALSE(sim.SanitizerReported()) << sim.ErrorOutput();
}

INSTANTIATE_TEST_SUITE_P(
    Framings, ReadsEveryBlock,
    testing::Values(ReadCase{"ServiceRtu", {}, false, {}, 2},
                    ReadCase{"WorkingAscii",
                             {"--both", "--protocol", "ascii", "--address", "17", "--link-speed",
                              "19200", "--link-frame", "1"},
                             true,
                             {19200, 7, test::kOddParity, test::kOneStopBit, false, 17},
                             1},
                    ReadCase{"WorkingRtuTwoStopBits",
                             {"--both", "--address", "247", "--link-speed", "115200",
                              "--link-frame", "2"},
                             true,
                             {115200, 8, test::kNoParity, test::kTwoStopBits, true, 247},
                             5},
                    // A speed with no classic termios code: set through termios2.
                    ReadCase{"WorkingRtuAt76800",
                             {"--both", "--address", "3", "--link-speed", "76800"},
                             true,
                             {76800, 8, test::kEvenParity, test::kOneStopBit, true, 3},
                             4}),
    [](const testing::TestParamInfo<ReadCase>& info) { return info.param.name; });

TEST(SimSettings, LinkWriteTakesEffectWithTheFinalizeWrite) {
  VelaSimProcess sim({"--both"});
  {
    SimMaster master(sim.WorkingPort(), {});
    auto link = ReadParams<TModbusParamsLink>(master);
    link.SetProtocol(1);  // MODBUS ASCII
    link.SetDeviceAddress(9);
    link.SetSpeedIndex(3);  // 57600
    link.SetFrameIndex(2);  // no parity, two stop bits
    Octets answer = master.Answer(RequestWriteParams(master.Packer(), link));
    EXPECT_EQ(test::Outcome([&] { ParseWriteParams(master.Packer(), link, answer); }), "");
    // The registers show the new values at once; the interface keeps the old
    // settings until the finalize write, which is still answered with them.
    EXPECT_EQ(ReadParams<TModbusParamsLink>(master).GetDeviceAddress(), 9);
    TModbusParamsFinalize finalize;
    answer = master.Answer(RequestWriteParams(master.Packer(), finalize));
    EXPECT_EQ(test::Outcome([&] { ParseWriteParams(master.Packer(), finalize, answer); }), "");

    TModbusValuesF f;
    EXPECT_TRUE(master.Ask(RequestValues(master.Packer(), f), 1, 300).empty());
    master.Configure({57600, 7, test::kNoParity, test::kTwoStopBits, false, 9});
    const auto moved = ReadParams<TModbusParamsLink>(master);
    EXPECT_EQ(moved.GetProtocol(), 1);
    EXPECT_EQ(moved.GetSpeedIndex(), 3);
  }

  // The service interface keeps MODBUS RTU at address 1 and sees the change.
  SimMaster service(sim.ServicePort(), {});
  EXPECT_EQ(ReadParams<TModbusParamsLink>(service).GetDeviceAddress(), 9);
}

TEST(SimSettings, SettingsWrittenOverTheServiceInterfaceMoveTheWorkingOne) {
  VelaSimProcess sim({"--both"});
  {
    SimMaster service(sim.ServicePort(), {});
    auto link = ReadParams<TModbusParamsLink>(service);
    link.SetDeviceAddress(33);
    link.SetSpeedIndex(0);  // 9600
    const Octets answer = service.Answer(RequestWriteParams(service.Packer(), link));
    EXPECT_EQ(test::Outcome([&] { ParseWriteParams(service.Packer(), link, answer); }), "");
    TModbusParamsFinalize finalize;
    const Octets done = service.Answer(RequestWriteParams(service.Packer(), finalize));
    EXPECT_EQ(test::Outcome([&] { ParseWriteParams(service.Packer(), finalize, done); }), "");
  }
  // The very first request at the new settings is answered.
  SimMaster working(sim.WorkingPort(), {9600, 8, test::kEvenParity, test::kOneStopBit, true, 33});
  EXPECT_EQ(ReadParams<TModbusParamsLink>(working).GetDeviceAddress(), 33);
}

}  // namespace
}  // namespace vela
