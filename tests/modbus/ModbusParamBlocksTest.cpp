// The read/write register blocks: layout and field encodings.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "modbus/ModbusParamBlocks.h"

namespace vela {
namespace {

struct LayoutCase {
  const char* name;
  std::function<std::unique_ptr<TModbusParams>()> make;
  uint16_t start;
  int count;
  int32_t timeout;
};

template <typename T>
std::unique_ptr<TModbusParams> Make() {
  return std::make_unique<T>();
}

const LayoutCase kLayouts[] = {
    {"Time", Make<TModbusParamsTime>, 27, 2, 350},
    {"Finalize", Make<TModbusParamsFinalize>, 20580, 1, 500},
    {"Link", Make<TModbusParamsLink>, 20662, 16, 300},
    {"Main", Make<TModbusParamsMain>, 20666, 2, 300},
    {"Link2", Make<TModbusParamsLink2>, 20678, 1, 300},
    {"Link3", Make<TModbusParamsLink3>, 20679, 2, 300},
    {"Link4", Make<TModbusParamsLink4>, 20682, 1, 300},
};

class ParamBlockLayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(ParamBlockLayoutTest, StartCountTimeout) {
  const LayoutCase& c = GetParam();
  const auto block = c.make();
  EXPECT_EQ(block->StartAddress, c.start);
  EXPECT_EQ(block->RegisterCount(), c.count);
  EXPECT_EQ(block->Timeout, c.timeout);
  EXPECT_EQ(block->Registers, std::vector<uint16_t>(static_cast<size_t>(c.count), 0));
}

INSTANTIATE_TEST_SUITE_P(Blocks, ParamBlockLayoutTest, testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ParamBlocks, TimeIsLowWordFirst) {
  TModbusParamsTime time;
  time.SetSeconds(86400);
  EXPECT_EQ(time.Registers, (std::vector<uint16_t>{0x5180, 0x0001}));
  time.Registers = {0xFFFF, 0xFFFF};
  EXPECT_EQ(time.GetSeconds(), 0xFFFFFFFFu);
  time.Registers = {0x0001, 0x8000};
  EXPECT_EQ(time.GetSeconds(), 0x80000001u);
}

// One-octet fields: the setter stores the octet in the whole word (high octet
// 0), the getter returns the low octet of whatever the device sent.
TEST(ParamBlocks, LinkOctetFieldsUseTheirWords) {
  using Getter = uint8_t (TModbusParamsLink::*)() const;
  using Setter = void (TModbusParamsLink::*)(uint8_t);
  const struct {
    Getter get;
    Setter set;
    size_t word;
  } kFields[] = {
      {&TModbusParamsLink::GetProtocol, &TModbusParamsLink::SetProtocol, 0},
      {&TModbusParamsLink::GetDeviceAddress, &TModbusParamsLink::SetDeviceAddress, 1},
      {&TModbusParamsLink::GetSpeedIndex, &TModbusParamsLink::SetSpeedIndex, 2},
      {&TModbusParamsLink::GetFrameIndex, &TModbusParamsLink::SetFrameIndex, 3},
      {&TModbusParamsLink::GetNormalisationType, &TModbusParamsLink::SetNormalisationType, 4},
      {&TModbusParamsLink::GetIecLinkAddressLength, &TModbusParamsLink::SetIecLinkAddressLength,
       12},
      {&TModbusParamsLink::GetIecCotLength, &TModbusParamsLink::SetIecCotLength, 13},
      {&TModbusParamsLink::GetIecCommonAddressLength, &TModbusParamsLink::SetIecCommonAddressLength,
       14},
      {&TModbusParamsLink::GetIecIoaLength, &TModbusParamsLink::SetIecIoaLength, 15},
  };
  for (const auto& f : kFields) {
    TModbusParamsLink link;
    link.Registers.assign(16, 0xAB00);
    link.Registers[f.word] = 0x12F7;
    EXPECT_EQ((link.*f.get)(), 0xF7) << f.word;
    (link.*f.set)(3);
    std::vector<uint16_t> expected(16, 0xAB00);
    expected[f.word] = 0x0003;
    EXPECT_EQ(link.Registers, expected) << f.word;
  }
}

TEST(ParamBlocks, DeviceAddress247) {
  TModbusParamsLink link;
  link.SetDeviceAddress(247);
  EXPECT_EQ(link.Registers[20663 - 20662], 0x00F7);
}

TEST(ParamBlocks, ThreeWireAndSerialNumber) {
  TModbusParamsLink link;
  link.Registers[5] = 2;
  EXPECT_TRUE(link.GetThreeWire());
  link.SetThreeWire(true);
  EXPECT_EQ(link.Registers[5], 1);
  link.SetThreeWire(false);
  EXPECT_EQ(link.Registers[5], 0);
  EXPECT_FALSE(link.GetThreeWire());
  // Word 10 is the low half, unlike the identification block's serial.
  link.Registers[10] = 0x5678;
  link.Registers[11] = 0x1234;
  EXPECT_EQ(link.GetSerialNumber(), 0x12345678u);

  TModbusParamsMain main;
  main.SetNormalisationType(3);
  main.SetThreeWire(true);
  EXPECT_EQ(main.Registers, (std::vector<uint16_t>{3, 1}));
  main.Registers = {0x0104, 0x8000};
  EXPECT_EQ(main.GetNormalisationType(), 4);
  EXPECT_TRUE(main.GetThreeWire());
}

TEST(ParamBlocks, IecOptions) {
  TModbusParamsLink2 link2;
  link2.SetIecAsduType(14);
  EXPECT_EQ(link2.Registers[0], 14);
  EXPECT_EQ(link2.GetIecAsduType(), 14);

  TModbusParamsLink3 link3;
  link3.SetIecCyclic(255);
  EXPECT_EQ(link3.Registers[0], 0x007F);
  link3.Registers[0] = 0x0180;
  EXPECT_EQ(link3.GetIecCyclic(), 0x0180);  // the getter returns the whole word
  link3.SetIecCycleInterval(1000);
  EXPECT_EQ(link3.Registers[1], 1000);
  EXPECT_EQ(link3.GetIecCycleInterval(), 1000);

  TModbusParamsLink4 link4;
  link4.SetIecCommonAddress(0xFFFF);
  EXPECT_EQ(link4.Registers[0], 0xFFFF);
  EXPECT_EQ(link4.GetIecCommonAddress(), 0xFFFF);
}

}  // namespace
}  // namespace vela
