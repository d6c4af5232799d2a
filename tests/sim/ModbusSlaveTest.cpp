#include <gtest/gtest.h>

#include "common/DateTime.h"
#include "sim/ModbusSlave.h"
#include "tests/common/OctetLiterals.h"

namespace vela {
namespace {

using test::Bytes;

struct SlaveCase {
  const char* what;
  Octets request;
  std::optional<Octets> answer;
};

class ModbusSlaveAnswers : public testing::TestWithParam<SlaveCase> {};

TEST_P(ModbusSlaveAnswers, AsAModbusSlaveAtAddressFive) {
  const SlaveCase& c = GetParam();
  VirtualClock clock;
  DeviceConfig config;
  config.serial = 0x00010203;
  DeviceModel device(config, clock);
  ModbusSlave slave(device, 5);
  EXPECT_EQ(slave.Handle(c.request), c.answer) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Functions, ModbusSlaveAnswers,
    testing::Values(
        SlaveCase{"read holding", Bytes({5, 3, 0x50, 0xC6, 0, 1}), Bytes({5, 3, 2, 0, 13})},
        SlaveCase{"read input", Bytes({5, 4, 3, 0, 0, 2}), Bytes({5, 4, 4, 0, 1, 2, 3})},
        SlaveCase{"write echoes start and count", Bytes({5, 16, 0x50, 0xC6, 0, 1, 2, 0, 14}),
                  Bytes({5, 16, 0x50, 0xC6, 0, 1})},
        SlaveCase{"unknown function", Bytes({5, 6, 0, 0, 0, 1}), Bytes({5, 0x86, 1})},
        SlaveCase{"missing register", Bytes({5, 4, 0, 27, 0, 1}), Bytes({5, 0x84, 2})},
        SlaveCase{"input read of holding", Bytes({5, 4, 0x50, 0xB6, 0, 16}), Bytes({5, 0x84, 2})},
        SlaveCase{"too many registers", Bytes({5, 3, 0x50, 0xB6, 0, 126}), Bytes({5, 0x83, 3})},
        SlaveCase{"read request too long", Bytes({5, 3, 0x50, 0xB6, 0, 1, 0}), Bytes({5, 0x83, 3})},
        SlaveCase{"byte count not twice the count",
                  Bytes({5, 16, 0x50, 0xC6, 0, 1, 4, 0, 14, 0, 0}), Bytes({5, 0x90, 3})},
        SlaveCase{"write shorter than its byte count", Bytes({5, 16, 0x50, 0xC6, 0, 1, 2, 0}),
                  Bytes({5, 0x90, 3})},
        SlaveCase{"write of 124 registers", Bytes({5, 16, 0x50, 0xB6, 0, 124, 248}),
                  Bytes({5, 0x90, 3})},
        SlaveCase{"refused value", Bytes({5, 16, 0x50, 0xC6, 0, 1, 2, 0, 15}), Bytes({5, 0x90, 3})},
        SlaveCase{"another address", Bytes({6, 3, 0x50, 0xC6, 0, 1}), std::nullopt},
        SlaveCase{"broadcast read", Bytes({0, 3, 0x50, 0xC6, 0, 1}), std::nullopt},
        SlaveCase{"no function", Bytes({5}), std::nullopt}));

TEST(ModbusSlave, BroadcastWriteIsCarriedOutWithoutAnswer) {
  VirtualClock clock;
  DeviceModel device({}, clock);
  ModbusSlave slave(device, 1);
  EXPECT_EQ(slave.Handle(Bytes({0, 16, 0x50, 0xC6, 0, 1, 2, 0, 14})), std::nullopt);
  EXPECT_EQ(slave.Handle(Bytes({1, 3, 0x50, 0xC6, 0, 1})), Bytes({1, 3, 2, 0, 14}));
}

TEST(ModbusSlave, BusyWriteGetsExceptionSix) {
  VirtualClock clock;
  DeviceConfig config;
  config.busyWrites = 1;
  DeviceModel device(config, clock);
  ModbusSlave slave(device, 1);
  const Octets write = Bytes({1, 16, 0x50, 0x64, 0, 1, 2, 0, 0});
  EXPECT_EQ(slave.Handle(write), Bytes({1, 0x90, 6}));
  EXPECT_EQ(slave.Handle(write), Bytes({1, 16, 0x50, 0x64, 0, 1}));
}

}  // namespace
}  // namespace vela
