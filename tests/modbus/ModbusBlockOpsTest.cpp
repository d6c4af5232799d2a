// The block-level operations: requests for whole blocks and the parse of the
// device's answers into them, in both framings.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "modbus/ModbusBlockOps.h"
#include "modbus/ModbusParamBlocks.h"
#include "modbus/ModbusValueBlocks.h"
#include "tests/modbus/AllBlocks.h"
#include "tests/modbus/ModbusTestUtils.h"

namespace vela {
namespace {
using test::Bytes;
using test::Capture;
using test::DeviceFrame;
using test::Outcome;
using test::RtuFrame;
using Kind = Outcome::Kind;

// The body a device sends for a read of the given registers.
Octets ReadAnswer(uint8_t address, uint8_t function, const std::vector<uint16_t>& registers) {
  Octets body = Bytes({address, function, static_cast<int>(2 * registers.size())});
  for (uint16_t r : registers) body += Bytes({r >> 8, r & 0xFF});
  return body;
}

std::vector<uint16_t> Pattern(size_t count, uint16_t seed) {
  std::vector<uint16_t> registers(count);
  for (size_t i = 0; i < count; ++i) registers[i] = static_cast<uint16_t>(seed * (i + 7) + 0x0F0F);
  return registers;
}

TEST(ModbusBlockOps, RequestsForBlocks) {
  TModbusPacker packer(1);
  EXPECT_EQ(RequestValues(packer, TModbusValues4Wire()),
            Bytes({0x01, 0x04, 0x00, 0x01, 0x00, 0x17, 0xE1, 0xC4}));
  EXPECT_EQ(RequestParams(packer, TModbusParamsTime()), RtuFrame(Bytes({1, 3, 0, 27, 0, 2})));
  packer.RtuMode = false;
  EXPECT_EQ(RequestValues(packer, TModbusValues4Wire()), ":010400010017E3\r\n");
  EXPECT_EQ(RequestValues(packer, TMbusDevInfo()), ":010403000008F0\r\n");
}

TEST(ModbusBlockOps, WriteSendsAllRegistersAsTheyAre) {
  TModbusPacker packer(1);
  TModbusParamsMain main;
  main.SetNormalisationType(3);
  main.SetThreeWire(true);
  EXPECT_EQ(RequestWriteParams(packer, main),
            RtuFrame(Bytes({1, 0x10, 0x50, 0xBA, 0, 2, 4, 0, 3, 0, 1})));
  TModbusParamsFinalize finalize;
  EXPECT_EQ(RequestWriteParams(packer, finalize),
            RtuFrame(Bytes({1, 0x10, 0x50, 0x64, 0, 1, 2, 0, 0})));
}

// Every block, both framings: the device's answer lands in the registers.
TEST(ModbusBlockOps, ReadsEveryBlockInBothModes) {
  test::AllBlocks blocks;
  const auto& values = blocks.values;
  const auto& params = blocks.params;
  for (bool rtu : {true, false}) {
    TModbusPacker packer(0x2A);
    packer.RtuMode = rtu;
    uint16_t seed = rtu ? 3 : 5;
    for (TModbusValues* block : values) {
      const auto expected = Pattern(block->Registers.size(), ++seed);
      ParseValues(packer, *block, DeviceFrame(rtu, ReadAnswer(0x2A, 4, expected)));
      EXPECT_EQ(block->Registers, expected) << block->StartAddress;
    }
    for (TModbusParams* block : params) {
      const auto expected = Pattern(block->Registers.size(), ++seed);
      ParseParams(packer, *block, DeviceFrame(rtu, ReadAnswer(0x2A, 3, expected)));
      EXPECT_EQ(block->Registers, expected) << block->StartAddress;
      const uint16_t start = block->StartAddress;
      const int count = static_cast<int>(block->Registers.size());
      ParseWriteParams(packer, *block,
                       DeviceFrame(rtu, Bytes({0x2A, 0x10, start >> 8, start & 0xFF, 0, count})));
      EXPECT_EQ(block->Registers, expected);  // a write answer changes nothing
    }
    EXPECT_EQ(packer.ResponseCount, 6 + 2 * 7);
    EXPECT_EQ(packer.LinkErrorCount, 0);
  }
}

TEST(ModbusBlockOps, FailedReadKeepsPreviousValues) {
  TModbusPacker packer(1);
  TModbusValues4Cos cos;
  const std::vector<uint16_t> before = {1, 2, 3};
  cos.Registers = before;
  const struct {
    const char* name;
    Octets frame;
    Kind kind;
    std::string message;
  } kCases[] = {
      {"Exception", RtuFrame(Bytes({1, 0x84, 2})), Kind::kLogic,
       "MODBUS: Некорректный адрес данных"},
      {"OtherAddress", RtuFrame(ReadAnswer(2, 4, {7, 8, 9})), Kind::kLink,
       "В пакете указан несовпадающий адрес"},
      {"HoldingForInput", RtuFrame(ReadAnswer(1, 3, {7, 8, 9})), Kind::kLink,
       "Ответ не соответствует запросу"},
      {"ThreeOctetBody", RtuFrame(Bytes({1, 4, 6})), Kind::kLink,
       "Формат ответа не совпадает с ожидаемым"},
      {"Noise", RtuFrame(ReadAnswer(1, 4, {7, 8, 9})) + '\xFF', Kind::kLink,
       "Длина ответа (12) не совпадает с ожидаемой (11)"},
      {"Empty", "", Kind::kLink, "Длина ответа (0) не совпадает с ожидаемой (11)"},
  };
  int linkErrors = 0;
  int responses = 0;
  for (const auto& c : kCases) {
    const Outcome outcome = Capture([&] { ParseValues(packer, cos, c.frame); });
    EXPECT_EQ(outcome.kind, c.kind) << c.name;
    EXPECT_EQ(outcome.message, c.message) << c.name;
    EXPECT_EQ(cos.Registers, before) << c.name;
    if (c.kind == Kind::kLink) ++linkErrors;
    EXPECT_EQ(packer.ResponseCount, ++responses);
  }
  EXPECT_EQ(packer.LinkErrorCount, linkErrors);
}

TEST(ModbusBlockOps, WriteAnswerMustEchoStartAndCount) {
  TModbusPacker packer(1);
  TModbusParamsLink3 link3;
  const struct {
    Octets body;
    Kind kind;
    std::string message;
  } kCases[] = {
      {Bytes({1, 0x10, 0x50, 0xC7, 0, 2}), Kind::kNone, ""},
      {Bytes({1, 0x10, 0x50, 0xC8, 0, 2}), Kind::kLink, "Формат ответа не совпадает с ожидаемым"},
      {Bytes({1, 0x10, 0x50, 0xC7, 0, 1}), Kind::kLink, "Формат ответа не совпадает с ожидаемым"},
      {Bytes({1, 0x90, 6}), Kind::kLogic, "MODBUS: Устройство не готово (BUSY)"},
  };
  for (const auto& c : kCases) {
    const Outcome outcome = Capture([&] { ParseWriteParams(packer, link3, RtuFrame(c.body)); });
    EXPECT_EQ(outcome.kind, c.kind);
    EXPECT_EQ(outcome.message, c.message);
  }
}

TEST(ModbusBlockOps, WriteOfTooLargeBlockIsRefusedBeforeSending) {
  TModbusPacker packer(1);
  TModbusParams big(0, 124);
  const Outcome outcome = Capture([&] { RequestWriteParams(packer, big); });
  EXPECT_EQ(outcome.kind, Kind::kLogic);
  EXPECT_EQ(outcome.code, 0);
  EXPECT_EQ(outcome.message, "Протокол не допускает отправку 124 регистров");
}

}  // namespace
}  // namespace vela
