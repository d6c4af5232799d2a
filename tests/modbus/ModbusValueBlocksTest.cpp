// The read-only register blocks: layout, register access and field getters.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>

#include "modbus/ModbusValueBlocks.h"

namespace vela {
namespace {

struct LayoutCase {
  const char* name;
  std::function<std::unique_ptr<TModbusValues>()> make;
  uint16_t start;
  int count;
  int32_t timeout;
};

template <typename T>
std::unique_ptr<TModbusValues> Make() {
  return std::make_unique<T>();
}

const LayoutCase kLayouts[] = {
    {"F", Make<TModbusValuesF>, 0, 1, 250},
    {"FourWire", Make<TModbusValues4Wire>, 1, 23, 300},
    {"ThreeWire", Make<TModbusValues3Wire>, 1, 9, 250},
    {"FourCos", Make<TModbusValues4Cos>, 24, 3, 250},
    {"ThreeCos", Make<TModbusValues3Cos>, 29, 1, 250},
    {"DevInfo", Make<TMbusDevInfo>, 0x0300, 8, 250},
};

class ValueBlockLayoutTest : public testing::TestWithParam<LayoutCase> {};

TEST_P(ValueBlockLayoutTest, StartCountTimeoutAndAccess) {
  const LayoutCase& c = GetParam();
  const auto block = c.make();
  EXPECT_EQ(block->StartAddress, c.start);
  EXPECT_EQ(block->RegisterCount(), c.count);
  EXPECT_EQ(block->Timeout, c.timeout);
  for (int i = 0; i < c.count; ++i) {
    EXPECT_EQ(block->GetRegister(i), 0) << i;  // all zero at creation
    block->Registers[static_cast<size_t>(i)] = static_cast<uint16_t>(0x1000 + i);
  }
  EXPECT_EQ(block->GetRegister(c.count - 1), 0x1000 + c.count - 1);
  // Outside the block: FFFFh, never a read past the array.
  EXPECT_EQ(block->GetRegister(c.count), 0xFFFF);
  EXPECT_EQ(block->GetRegister(-1), 0xFFFF);
}

INSTANTIATE_TEST_SUITE_P(Blocks, ValueBlockLayoutTest, testing::ValuesIn(kLayouts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ValueBlocks, GetDWordIsHighWordFirstAndPadsPastTheEnd) {
  TMbusDevInfo info;
  for (int i = 0; i < 8; ++i) info.Registers[static_cast<size_t>(i)] = static_cast<uint16_t>(i + 1);
  EXPECT_EQ(info.GetDWord(0), 0x00010002u);
  EXPECT_EQ(info.GetDWord(3), 0x00070008u);
  EXPECT_EQ(info.GetDWord(4), 0xFFFFFFFFu);
  TModbusValues3Cos cos;  // odd count: the low half lies past the end
  cos.Registers[0] = 0x1234;
  EXPECT_EQ(cos.GetDWord(0), 0x1234FFFFu);
}

TEST(ValueBlocks, DevInfoFields) {
  TMbusDevInfo info;
  info.Registers = {0x0001, 0x86A0, 0x1234, 0x5601, 0x0203, 0x0000, 0xBEEF, 0xC0DE};
  EXPECT_EQ(info.GetSerial(), 100000u);
  EXPECT_EQ(info.GetHID(), 0x12345601u);
  EXPECT_EQ(info.GetSID(), 0x02030000u);
  EXPECT_EQ(info.GetDigitalId(), 0xC0DE);  // register 775; 774 is not read
}

// Each getter reads the register numbered as the device's map says.
TEST(ValueBlocks, GettersReadTheirRegisterNumbers) {
  TModbusValues4Wire four;
  TModbusValues3Wire three;
  for (size_t i = 0; i < four.Registers.size(); ++i) four.Registers[i] = uint16_t(100 + i + 1);
  for (size_t i = 0; i < three.Registers.size(); ++i) three.Registers[i] = uint16_t(100 + i + 1);
  using Getter4 = uint16_t (TModbusValues4Wire::*)() const;
  const struct {
    Getter4 getter;
    int number;
  } kFour[] = {{&TModbusValues4Wire::GetP, 1},   {&TModbusValues4Wire::GetQ, 2},
               {&TModbusValues4Wire::GetS, 3},   {&TModbusValues4Wire::GetUab, 4},
               {&TModbusValues4Wire::GetUbc, 5}, {&TModbusValues4Wire::GetUca, 6},
               {&TModbusValues4Wire::GetIa, 7},  {&TModbusValues4Wire::GetIb, 8},
               {&TModbusValues4Wire::GetIc, 9},  {&TModbusValues4Wire::GetIo, 10},
               {&TModbusValues4Wire::GetUa, 11}, {&TModbusValues4Wire::GetUb, 12},
               {&TModbusValues4Wire::GetUc, 13}, {&TModbusValues4Wire::GetUo, 14},
               {&TModbusValues4Wire::GetPa, 15}, {&TModbusValues4Wire::GetPb, 16},
               {&TModbusValues4Wire::GetPc, 17}, {&TModbusValues4Wire::GetQa, 18},
               {&TModbusValues4Wire::GetQb, 19}, {&TModbusValues4Wire::GetQc, 20},
               {&TModbusValues4Wire::GetSa, 21}, {&TModbusValues4Wire::GetSb, 22},
               {&TModbusValues4Wire::GetSc, 23}};
  for (const auto& g : kFour) EXPECT_EQ((four.*g.getter)(), 100 + g.number) << g.number;
  EXPECT_EQ(three.GetP(), 101);
  EXPECT_EQ(three.GetUca(), 106);
  EXPECT_EQ(three.GetIc(), 109);

  TModbusValuesF f;
  f.Registers[0] = 50000;
  EXPECT_EQ(f.GetFrequency(), 50000);
  TModbusValues4Cos cos4;
  cos4.Registers = {0x2710, 0xD8F0, 0x0001};
  EXPECT_EQ(cos4.GetCosA(), 0x2710);
  EXPECT_EQ(cos4.GetCosB(), 0xD8F0);
  EXPECT_EQ(cos4.GetCosC(), 0x0001);
  TModbusValues3Cos cos3;
  cos3.Registers[0] = 0x7FFF;
  EXPECT_EQ(cos3.GetCos(), 0x7FFF);
}

}  // namespace
}  // namespace vela
