#include <gtest/gtest.h>

#include <cmath>

#include "common/ArkCmnUtils.h"
#include "common/DateTime.h"
#include "sim/DeviceModel.h"

namespace vela {
namespace {

constexpr uint16_t kLink = reg::kLink;

struct Device {
  explicit Device(DeviceConfig config = {}) : model(config, clock) {}
  std::vector<uint16_t> Input(uint16_t start, uint16_t count) {
    std::vector<uint16_t> values;
    EXPECT_EQ(model.ReadInputRegisters(start, count, values), ModbusError::None) << start;
    return values;
  }
  std::vector<uint16_t> Holding(uint16_t start, uint16_t count) {
    std::vector<uint16_t> values;
    EXPECT_EQ(model.ReadHoldingRegisters(start, count, values), ModbusError::None) << start;
    return values;
  }
  VirtualClock clock{EncodeDateTime(2025, 12, 10, 12, 0, 0)};
  DeviceModel model;
};

DeviceConfig OldFirmware() {
  DeviceConfig config;
  config.oldFirmware = true;
  return config;
}

struct AccessCase {
  bool holding;
  uint16_t start;
  uint16_t count;
  bool oldFirmware;
  ModbusError expected;
};

class RegisterAccess : public testing::TestWithParam<AccessCase> {};

TEST_P(RegisterAccess, AnswersOnlyForRegistersTheDeviceHas) {
  const AccessCase& c = GetParam();
  DeviceConfig config;
  config.oldFirmware = c.oldFirmware;
  Device device(config);
  std::vector<uint16_t> values;
  const ModbusError error = c.holding ? device.model.ReadHoldingRegisters(c.start, c.count, values)
                                      : device.model.ReadInputRegisters(c.start, c.count, values);
  EXPECT_EQ(error, c.expected);
  if (error == ModbusError::None) {
    EXPECT_EQ(values.size(), c.count);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Map, RegisterAccess,
    testing::Values(
        AccessCase{false, 1, 23, false, ModbusError::None},
        AccessCase{false, 0, 27, false, ModbusError::None},
        AccessCase{false, 24, 4, false, ModbusError::IllegalDataAddress},  // 27 is no input
        AccessCase{false, 29, 1, false, ModbusError::None},
        AccessCase{false, 768, 8, false, ModbusError::None},
        AccessCase{false, 768, 9, false, ModbusError::IllegalDataAddress},
        AccessCase{false, 20662, 1, false, ModbusError::IllegalDataAddress},
        AccessCase{false, 1, 0, false, ModbusError::IllegalDataValue},
        AccessCase{false, 1, 126, false, ModbusError::IllegalDataValue},
        AccessCase{true, 27, 2, false, ModbusError::None},
        AccessCase{true, 26, 2, false, ModbusError::IllegalDataAddress},
        AccessCase{true, 20580, 1, false, ModbusError::None},
        AccessCase{true, 20662, 16, false, ModbusError::None},
        AccessCase{true, 20662, 19, false, ModbusError::None},               // link .. link 3
        AccessCase{true, 20679, 4, false, ModbusError::IllegalDataAddress},  // 20681 missing
        AccessCase{true, 20682, 1, false, ModbusError::None},
        AccessCase{true, 65535, 2, false, ModbusError::IllegalDataAddress},
        AccessCase{true, 0, 1, false, ModbusError::IllegalDataAddress},
        // Old firmware: no identification, no power factors, no link blocks 2..4.
        AccessCase{false, 768, 8, true, ModbusError::IllegalDataAddress},
        AccessCase{false, 24, 3, true, ModbusError::IllegalDataAddress},
        AccessCase{false, 29, 1, true, ModbusError::IllegalDataAddress},
        AccessCase{false, 1, 23, true, ModbusError::None},
        AccessCase{true, 20662, 16, true, ModbusError::None},
        AccessCase{true, 20678, 1, true, ModbusError::IllegalDataAddress},
        AccessCase{true, 20679, 2, true, ModbusError::IllegalDataAddress},
        AccessCase{true, 20682, 1, true, ModbusError::IllegalDataAddress}));

struct IdentityCase {
  uint32_t hid;
  uint32_t expectedHid;
};

TEST(DeviceModel, IdentificationBlockCarriesSerialHidSidAndDigitalIdHighWordFirst) {
  DeviceConfig config;
  config.serial = 654321;  // 0x0009FBF1
  config.hid = MakeHid(DeviceKind::Kant, 255);
  config.sid = MakeSid(2, 7);
  config.digitalId = 0x1234;
  Device device(config);
  const std::vector<uint16_t> expected = {0x0009, 0xFBF1, 0x4152, 0x02FF,
                                          0x0207, 0x0000, 0x0000, 0x1234};
  EXPECT_EQ(device.Input(768, 8), expected);
  EXPECT_EQ(MakeHid(DeviceKind::Vela, 2), 0x41520102u);
  EXPECT_EQ(MakeHid(DeviceKind::Porta, 0), 0x41520300u);
}

TEST(DeviceModel, LinkBlockHoldsTheSerialNumberLowWordFirst) {
  DeviceConfig config;
  config.serial = 654321;
  Device device(config);
  const std::vector<uint16_t> link = device.Holding(kLink, 16);
  EXPECT_EQ(link[10], 0xFBF1);
  EXPECT_EQ(link[11], 0x0009);
  const std::vector<uint16_t> factory = {0, 1, 2, 0, 3, 0, 0, 0, 0, 0, 0xFBF1, 9, 1, 1, 1, 2};
  EXPECT_EQ(link, factory);
  EXPECT_EQ(device.Holding(reg::kLink2, 2), (std::vector<uint16_t>{13, 0}));
  EXPECT_EQ(device.Holding(reg::kLink3 + 1, 1), (std::vector<uint16_t>{1000}));
}

TEST(DeviceModel, ClockRunsWithTheHostAndTakesWrittenSeconds) {
  Device device;
  const uint32_t start = DateTimeToSeconds(device.clock.Now());
  EXPECT_EQ(device.model.ClockSeconds(), start);
  device.clock.Advance(5000);
  EXPECT_EQ(device.model.ClockSeconds(), start + 5);
  // 86400 s: register 27 (low half) 5180h, register 28 0001h.
  ASSERT_EQ(device.model.WriteRegisters(reg::kClockLow, {0x5180, 0x0001}), ModbusError::None);
  EXPECT_EQ(device.Holding(27, 2), (std::vector<uint16_t>{0x5180, 0x0001}));
  device.clock.Advance(2000);
  EXPECT_EQ(device.model.ClockSeconds(), 86402u);
  ASSERT_EQ(device.model.WriteRegisters(reg::kClockHigh, {0x0002}), ModbusError::None);
  EXPECT_EQ(device.model.ClockSeconds(), 0x20000u + 0x5182u);
}

TEST(DeviceModel, WrittenLinkSettingsTakeEffectOnlyWithTheFinalizeWrite) {
  Device device;
  const LinkSettings before = device.model.Settings().ActiveLink();
  ASSERT_EQ(device.model.WriteRegisters(kLink, {1, 17, 5, 2}), ModbusError::None);
  EXPECT_EQ(device.Holding(kLink, 4), (std::vector<uint16_t>{1, 17, 5, 2}));
  EXPECT_EQ(device.model.Settings().ActiveLink(), before);
  EXPECT_EQ(device.model.Settings().LinkGeneration(), 0u);
  ASSERT_EQ(device.model.WriteRegisters(reg::kFinalize, {0}), ModbusError::None);
  const LinkSettings after = device.model.Settings().ActiveLink();
  EXPECT_EQ(after.protocol, LinkProtocol::ModbusAscii);
  EXPECT_EQ(after.address, 17);
  EXPECT_EQ(after.speedIndex, 5);
  EXPECT_EQ(after.frameIndex, 2);
  EXPECT_EQ(device.model.Settings().LinkGeneration(), 1u);
  EXPECT_EQ(device.Holding(reg::kFinalize, 1), (std::vector<uint16_t>{0}));
}

struct WriteCase {
  uint16_t address;
  uint16_t value;
  bool oldFirmware;
  ModbusError expected;
};

class SettingWrite : public testing::TestWithParam<WriteCase> {};

TEST_P(SettingWrite, RefusesValuesTheDeviceCannotTakeAndChangesNothing) {
  const WriteCase& c = GetParam();
  DeviceConfig config;
  config.oldFirmware = c.oldFirmware;
  Device device(config);
  const std::vector<uint16_t> before = device.Holding(kLink, 16);
  // A valid protocol change rides along; it must not land when c is refused.
  std::vector<uint16_t> values(c.address - kLink + 1, 0);
  values = device.Holding(kLink, static_cast<uint16_t>(values.size()));
  values[0] = 1;
  values.back() = c.value;
  if (c.address == kLink) values[0] = c.value;
  EXPECT_EQ(device.model.WriteRegisters(kLink, values), c.expected);
  if (c.expected != ModbusError::None) {
    EXPECT_EQ(device.Holding(kLink, 16), before);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Values, SettingWrite,
    testing::Values(WriteCase{kLink + 0, 2, false, ModbusError::None},
                    WriteCase{kLink + 0, 3, false, ModbusError::IllegalDataValue},
                    WriteCase{kLink + 1, 247, false, ModbusError::None},
                    WriteCase{kLink + 1, 0, false, ModbusError::IllegalDataValue},
                    WriteCase{kLink + 1, 248, false, ModbusError::IllegalDataValue},
                    WriteCase{kLink + 2, 6, false, ModbusError::None},
                    WriteCase{kLink + 2, 7, false, ModbusError::IllegalDataValue},
                    WriteCase{kLink + 2, 3, true, ModbusError::None},
                    WriteCase{kLink + 2, 4, true, ModbusError::IllegalDataValue},
                    WriteCase{kLink + 3, 3, false, ModbusError::IllegalDataValue},
                    WriteCase{kLink + 4, 1, false, ModbusError::IllegalDataValue},
                    WriteCase{kLink + 4, 4, false, ModbusError::None},
                    WriteCase{kLink + 5, 7, false, ModbusError::None},
                    WriteCase{kLink + 12, 0, false, ModbusError::None},
                    WriteCase{kLink + 12, 3, false, ModbusError::IllegalDataValue},
                    WriteCase{kLink + 13, 0, false, ModbusError::IllegalDataValue},
                    WriteCase{kLink + 14, 3, false, ModbusError::IllegalDataValue},
                    WriteCase{kLink + 15, 3, false, ModbusError::None},
                    WriteCase{kLink + 15, 4, false, ModbusError::IllegalDataValue}));

TEST(DeviceModel, IecBlocksCheckAsduTypeAndCommonAddress) {
  Device device;
  EXPECT_EQ(device.model.WriteRegisters(reg::kLink2, {14}), ModbusError::None);
  EXPECT_EQ(device.model.WriteRegisters(reg::kLink2, {15}), ModbusError::IllegalDataValue);
  EXPECT_EQ(device.model.WriteRegisters(reg::kLink3, {0x7F, 500}), ModbusError::None);
  EXPECT_EQ(device.model.WriteRegisters(reg::kLink4, {0}), ModbusError::IllegalDataValue);
  EXPECT_EQ(device.model.WriteRegisters(reg::kLink4, {65533}), ModbusError::None);
  EXPECT_EQ(device.Holding(reg::kLink2, 2), (std::vector<uint16_t>{14, 0x7F}));
  EXPECT_EQ(device.Holding(reg::kLink4, 1), (std::vector<uint16_t>{65533}));
}

TEST(DeviceModel, IecOptionsFollowTheLinkBlocks) {
  Device device;
  ASSERT_EQ(device.model.WriteRegisters(kLink + 12, {2, 2, 2, 3, 14, 1, 60}), ModbusError::None);
  ASSERT_EQ(device.model.WriteRegisters(reg::kLink4, {5}), ModbusError::None);
  const IecOptions iec = device.model.Settings().Iec();
  EXPECT_EQ(iec.linkAddressLength, 2);
  EXPECT_EQ(iec.ioaLength, 3);
  EXPECT_EQ(iec.asduType, 14);
  EXPECT_EQ(iec.cyclic, 1);
  EXPECT_EQ(iec.cycleInterval, 60);
  EXPECT_EQ(iec.commonAddress, 5);
  EXPECT_EQ(Device(OldFirmware()).model.Settings().Iec().asduType, 13);
}

TEST(DeviceModel, SerialNumberWrittenBackDoesNotChange) {
  Device device;
  std::vector<uint16_t> link = device.Holding(kLink, 16);
  link[10] = link[11] = 0;
  ASSERT_EQ(device.model.WriteRegisters(kLink, link), ModbusError::None);
  EXPECT_EQ(device.Holding(reg::kSerialLow, 2), (std::vector<uint16_t>{0xE240, 0x0001}));
}

TEST(DeviceModel, BusyDeviceRefusesItsFirstWrites) {
  DeviceConfig config;
  config.busyWrites = 2;
  Device device(config);
  EXPECT_EQ(device.model.WriteRegisters(reg::kFinalize, {0}), ModbusError::Busy);
  EXPECT_EQ(device.model.WriteRegisters(reg::kNormalisation, {3, 1}), ModbusError::Busy);
  EXPECT_FALSE(device.model.Settings().ThreeWire());
  EXPECT_EQ(device.model.WriteRegisters(reg::kNormalisation, {3, 1}), ModbusError::None);
  EXPECT_TRUE(device.model.Settings().ThreeWire());
}

TEST(DeviceModel, OldFirmwareRefusesLinkBlockTwoWrites) {
  Device device(OldFirmware());
  EXPECT_EQ(device.model.WriteRegisters(reg::kLink2, {13}), ModbusError::IllegalDataAddress);
}

// Physical reading of the input registers under type 2.
struct Reading {
  explicit Reading(const std::vector<uint16_t>& r) : raw(r) {}
  double Unsigned(int reg, double step) const { return raw[reg] * step; }
  double Signed(int reg, double step) const { return static_cast<int16_t>(raw[reg]) * step; }
  std::vector<uint16_t> raw;
};

TEST(DeviceModel, MeasuredValuesDescribeAPlausibleNetworkThatDrifts) {
  DeviceConfig config;
  config.settings.normalisation = 2;
  Device device(config);
  std::vector<uint16_t> previous;
  for (int step = 0; step < 5; ++step) {
    std::vector<uint16_t> raw = device.Input(0, 27);
    raw.push_back(device.Input(29, 1)[0]);
    const Reading r(raw);
    EXPECT_NEAR(r.Unsigned(0, 0.001), 50.0, 0.05);
    for (int k = 0; k < 3; ++k) {
      EXPECT_NEAR(r.Unsigned(11 + k, 0.01), 230.0, 3.0);
      EXPECT_NEAR(r.Unsigned(4 + k, 0.02), 398.4, 5.0);
      EXPECT_NEAR(r.Unsigned(7 + k, 0.0002), 5.0, 1.0);
      const double p = r.Signed(15 + k, 0.1), q = r.Signed(18 + k, 0.1),
                   s = r.Unsigned(21 + k, 0.1);
      EXPECT_NEAR(std::hypot(p, q), s, 0.5);
      EXPECT_NEAR(r.Signed(24 + k, 0.0001), p / s, 0.001);
    }
    const double p = r.Signed(1, 0.2), q = r.Signed(2, 0.2), s = r.Unsigned(3, 0.2);
    EXPECT_NEAR(p, r.Signed(15, 0.1) + r.Signed(16, 0.1) + r.Signed(17, 0.1), 1.0);
    EXPECT_NEAR(q, r.Signed(18, 0.1) + r.Signed(19, 0.1) + r.Signed(20, 0.1), 1.0);
    EXPECT_NEAR(s, std::hypot(p, q), 0.5);
    EXPECT_NEAR(r.Signed(27, 0.0001), p / s, 0.001);
    EXPECT_LT(r.Unsigned(10, 0.0002), 2.0);  // Io, small in a near-balanced network
    EXPECT_NE(raw, previous);
    previous = raw;
    device.clock.Advance(7000);
  }
}

TEST(DeviceModel, ThreeWireNetworkHasNoPhaseQuantities) {
  Device device;
  ASSERT_EQ(device.model.WriteRegisters(reg::kThreeWire, {1}), ModbusError::None);
  const std::vector<uint16_t> raw = device.Input(1, 26);
  for (int reg = 1; reg <= 9; ++reg) EXPECT_NE(raw[reg - 1], 0) << reg;
  for (int reg = 10; reg <= 23; ++reg) EXPECT_EQ(raw[reg - 1], 0) << reg;
}

struct OutOfRangeCase {
  int normalisation;
  const char* name;
  uint16_t raw;
};

TEST(DeviceModel, ForcedOutOfRangeQuantitiesShowTheMarkersOfTheType) {
  const OutOfRangeCase cases[] = {
      {3, "Ia", 0xFFFF}, {3, "P", 0x8000},   {3, "cos", 0x8000}, {4, "Ia", 0xFFFF},
      {4, "P", 0xFFFF},  {4, "cos", 0xFFFF}, {2, "Ia", 0xFFFF},  {2, "P", 0x7FFF},
  };
  for (const OutOfRangeCase& c : cases) {
    DeviceConfig config;
    config.settings.normalisation = c.normalisation;
    const uint16_t reg = FindQuantity(c.name)->reg;
    config.outOfRange.insert(reg);
    Device device(config);
    EXPECT_EQ(device.Input(reg, 1)[0], c.raw) << c.name << " type " << c.normalisation;
    EXPECT_NE(device.Input(0, 1)[0], c.raw);  // the others stay in range
  }
}

TEST(DeviceModel, NormalisationWrittenChangesTheEncodingAtOnce) {
  Device device;
  ASSERT_EQ(device.model.WriteRegisters(reg::kNormalisation, {4}), ModbusError::None);
  const uint16_t cos4 = device.Input(29, 1)[0];
  EXPECT_GT(cos4, 0x7FFF + 8000);  // a lagging power factor near 0.9, offset by 7FFFh
  EXPECT_LT(cos4, 0x7FFF + 10001);
}

}  // namespace
}  // namespace vela
