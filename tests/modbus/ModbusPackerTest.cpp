// TModbusPacker: framing, length formulas, requests and response checks.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "modbus/ModbusMessages.h"
#include "modbus/ModbusPacker.h"
#include "tests/modbus/ModbusTestUtils.h"

namespace vela {
namespace {
using test::AsciiFrame;
using test::Bytes;
using test::Capture;
using test::Outcome;
using test::RtuFrame;
using Kind = Outcome::Kind;

const std::string kLengthRtu9of8 = "Длина ответа (9) не совпадает с ожидаемой (8)";

// ---------------------------------------------------------------- framing

struct WrapCase {
  bool rtu;
  Octets body;
  Octets frame;
};

const WrapCase kWrapCases[] = {
    {true, Bytes({0x01, 0x04, 0x00, 0x01, 0x00, 0x17}),
     Bytes({0x01, 0x04, 0x00, 0x01, 0x00, 0x17, 0xE1, 0xC4})},
    {false, Bytes({0x01, 0x04, 0x00, 0x01, 0x00, 0x17}), ":010400010017E3\r\n"},
    {true, Bytes({0x11, 0x03, 0x00, 0x6B, 0x00, 0x03}),
     Bytes({0x11, 0x03, 0x00, 0x6B, 0x00, 0x03, 0x76, 0x87})},
    {false, Bytes({0x11, 0x03, 0x00, 0x6B, 0x00, 0x03}), ":1103006B00037E\r\n"},
    // Octets of value zero are data like any other.
    {false, Bytes({0x00, 0x03, 0x00, 0x00, 0x00, 0x01}), ":000300000001FC\r\n"},
};

TEST(ModbusPackerFraming, WrapsRtuAndAsciiFrames) {
  for (const WrapCase& c : kWrapCases) {
    TModbusPacker packer(1);
    packer.RtuMode = c.rtu;
    EXPECT_EQ(packer.WrapFrame(c.body), c.frame);
    // Unwrapping the frame gives the body back.
    Octets frame = c.frame;
    packer.UnwrapFrame(frame, static_cast<int>(c.frame.size()));
    EXPECT_EQ(frame, c.body);
  }
}

TEST(ModbusPackerFraming, ExpectedLengths) {
  TModbusPacker packer(1);
  const struct {
    int registers, rtu, ascii;
  } kReads[] = {{0, 5, 11}, {1, 7, 15}, {23, 51, 103}, {125, 255, 511}};
  for (const auto& r : kReads) {
    packer.RtuMode = true;
    EXPECT_EQ(packer.ExpectedReadLength(r.registers), r.rtu) << r.registers;
    packer.RtuMode = false;
    EXPECT_EQ(packer.ExpectedReadLength(r.registers), r.ascii) << r.registers;
  }
  packer.RtuMode = true;
  EXPECT_EQ(packer.ExpectedWriteLength(), 8);
  packer.RtuMode = false;
  EXPECT_EQ(packer.ExpectedWriteLength(), 17);
}

struct UnwrapCase {
  const char* name;
  bool rtu;
  Octets frame;
  int expected;
  Kind kind;
  std::string result;  // the body, or the message
};

const Octets kBody7 = Bytes({0x01, 0x04, 0x02, 0x12, 0x34});
const Octets kExceptionBody = Bytes({0x01, 0x84, 0x02});

std::vector<UnwrapCase> UnwrapCases() {
  const Octets rtu = RtuFrame(kBody7);
  const Octets ascii = AsciiFrame(kBody7);
  Octets badCrc = rtu;
  badCrc.back() ^= 1;
  Octets badLrc = ascii;
  badLrc[ascii.size() - 3] = ascii[ascii.size() - 3] == '0' ? '1' : '0';
  Octets noColon = ascii;
  noColon[0] = '0';
  Octets noColonBadLrc = badLrc;
  noColonBadLrc[0] = ';';
  Octets noLf = ascii;
  noLf.back() = '\r';
  return {
      {"RtuGood", true, rtu, 7, Kind::kNone, kBody7},
      {"RtuExceptionLength", true, RtuFrame(kExceptionBody), 51, Kind::kNone, kExceptionBody},
      {"RtuNoiseOctet", true, RtuFrame(Bytes({1, 0x10, 0, 1, 0, 2})) + '\0', 8, Kind::kLink,
       kLengthRtu9of8},
      {"RtuSplitFirstPart", true, rtu.substr(0, 3), 7, Kind::kLink,
       "Длина ответа (3) не совпадает с ожидаемой (7)"},
      {"RtuBadCrc", true, badCrc, 7, Kind::kLink, "Несовпадение контрольной суммы"},
      {"RtuEmptyExpectedEmpty", true, "", 0, Kind::kLink, "Формат ответа не совпадает с ожидаемым"},
      {"AsciiGood", false, ascii, 15, Kind::kNone, kBody7},
      {"AsciiLowerCase", false,
       ":010402abcd" + BytesToHex(Bytes({Lrc("\x01\x04\x02\xAB\xCD", 5)})) + "\r\n", 15,
       Kind::kNone, Bytes({0x01, 0x04, 0x02, 0xAB, 0xCD})},
      {"AsciiExceptionLength", false, AsciiFrame(kExceptionBody), 103, Kind::kNone, kExceptionBody},
      {"AsciiWrongLength", false, ascii + "0", 15, Kind::kLink,
       "Длина ответа (16) не совпадает с ожидаемой (15)"},
      // Broken delimiters are reported before any checksum is looked at.
      {"AsciiNoColonBadLrc", false, noColonBadLrc, 15, Kind::kLink,
       "Нарушен формат ответа :<body><CR><LF>"},
      {"AsciiNoColon", false, noColon, 15, Kind::kLink, "Нарушен формат ответа :<body><CR><LF>"},
      {"AsciiNoLf", false, noLf, 15, Kind::kLink, "Нарушен формат ответа :<body><CR><LF>"},
      {"AsciiBadLrc", false, badLrc, 15, Kind::kLink, "Несовпадение контрольной суммы"},
      {"AsciiEmptyExpectedEmpty", false, "", 0, Kind::kLink,
       "Нарушен формат ответа :<body><CR><LF>"},
      {"AsciiOnlyDelimiters", false, ":\r\n", 3, Kind::kLink,
       "Формат ответа не совпадает с ожидаемым"},
  };
}

class UnwrapFrameTest : public testing::TestWithParam<UnwrapCase> {};

TEST_P(UnwrapFrameTest, ChecksInOrder) {
  const UnwrapCase& c = GetParam();
  TModbusPacker packer(1);
  packer.RtuMode = c.rtu;
  Octets frame = c.frame;
  const Outcome outcome = Capture([&] { packer.UnwrapFrame(frame, c.expected); });
  ASSERT_EQ(outcome.kind, c.kind) << outcome.message;
  if (c.kind == Kind::kNone) {
    EXPECT_EQ(frame, c.result);
    EXPECT_EQ(packer.LinkErrorCount, 0);
  } else {
    EXPECT_EQ(outcome.message, c.result);
    EXPECT_EQ(packer.LinkErrorCount, 1);
  }
  EXPECT_EQ(packer.ResponseCount, 0);
  EXPECT_EQ(packer.Address, 1);
  EXPECT_EQ(packer.RtuMode, c.rtu);
}

INSTANTIATE_TEST_SUITE_P(Frames, UnwrapFrameTest, testing::ValuesIn(UnwrapCases()),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------- requests

TEST(ModbusPackerRequests, ReadRequestsCarryAddressFunctionStartAndCount) {
  TModbusPacker packer(1);
  EXPECT_EQ(packer.ReadInputRegistersRequest(1, 23), RtuFrame(Bytes({1, 4, 0, 1, 0, 0x17})));
  packer.Address = 0xF7;
  EXPECT_EQ(packer.ReadHoldingRegistersRequest(0x50B6, 16),
            RtuFrame(Bytes({0xF7, 3, 0x50, 0xB6, 0, 16})));
  packer.RtuMode = false;
  EXPECT_EQ(packer.ReadRequest(4, 0x0300, 8), AsciiFrame(Bytes({0xF7, 4, 3, 0, 0, 8})));
}

TEST(ModbusPackerRequests, WriteRequestSendsRegistersHighOctetFirst) {
  TModbusPacker packer(2);
  const std::vector<uint16_t> registers = {0x1234, 0x00F7, 0xABCD};
  EXPECT_EQ(packer.WriteRegistersRequest(0x50C7, registers, 1),
            RtuFrame(Bytes({2, 0x10, 0x50, 0xC7, 0, 2, 4, 0x12, 0x34, 0x00, 0xF7})));
}

TEST(ModbusPackerRequests, WriteRequestRegisterLimit) {
  TModbusPacker packer(1);
  const std::vector<uint16_t> registers(200, 0x0102);
  const struct {
    int lastIndex;
    int count;  // -1: built
  } kCases[] = {{122, -1}, {0, -1}, {123, 124}, {-1, 0}, {65535, 0}, {199, 200}};
  for (const auto& c : kCases) {
    Octets frame;
    const Outcome outcome =
        Capture([&] { frame = packer.WriteRegistersRequest(0, registers, c.lastIndex); });
    if (c.count < 0) {
      EXPECT_EQ(outcome.kind, Kind::kNone) << c.lastIndex;
      EXPECT_EQ(frame.size(), 9u + 2u * static_cast<unsigned>(c.lastIndex + 1));
    } else {
      EXPECT_EQ(outcome.kind, Kind::kLogic) << c.lastIndex;
      EXPECT_EQ(outcome.code, 0);
      EXPECT_EQ(outcome.message,
                "Протокол не допускает отправку " + std::to_string(c.count) + " регистров");
    }
  }
  EXPECT_EQ(packer.LinkErrorCount, 0);
}

// ------------------------------------------------------- exception responses

struct ExceptionCase {
  int code;
  std::string message;
};

const ExceptionCase kExceptionCases[] = {
    {1, "MODBUS: Запрашиваемая функция не поддерживается удалённым устройством"},
    {2, "MODBUS: Некорректный адрес данных"},
    {3, "MODBUS: Данные не корректны"},
    {4, "MODBUS: Отказ в выполении"},
    {6, "MODBUS: Устройство не готово (BUSY)"},
    {0, "MODBUS: Отказ в выполнении (код 0)"},
    {5, "MODBUS: Отказ в выполнении (код 5)"},
    {7, "MODBUS: Отказ в выполнении (код 7)"},
    {255, "MODBUS: Отказ в выполнении (код 255)"},
};

class ExceptionResponseTest : public testing::TestWithParam<ExceptionCase> {};

TEST_P(ExceptionResponseTest, EveryParseReportsTheDeviceRefusal) {
  const ExceptionCase& c = GetParam();
  TModbusPacker packer(1);
  std::vector<uint16_t> registers(2, 0x5555);
  // Neither address nor function of an exception response is compared.
  for (const Octets& body : {Bytes({1, 0x83, c.code}), Bytes({5, 0x84, c.code}),
                             Bytes({1, 0x90, c.code}), Bytes({1, 0xFF, c.code})}) {
    for (const Outcome& outcome :
         {Capture([&] { packer.CheckExceptionResponse(body); }),
          Capture([&] { packer.ParseReadResponse(4, body, 1, registers); }),
          Capture([&] { packer.ParseWriteResponse(body, 0, 2); })}) {
      EXPECT_EQ(outcome.kind, Kind::kLogic);
      EXPECT_EQ(outcome.code, c.code);
      EXPECT_EQ(outcome.message, c.message);
    }
  }
  EXPECT_EQ(registers, std::vector<uint16_t>(2, 0x5555));
  EXPECT_EQ(packer.LinkErrorCount, 0);
}

INSTANTIATE_TEST_SUITE_P(Codes, ExceptionResponseTest, testing::ValuesIn(kExceptionCases));

TEST(ModbusPackerResponses, OnlyThreeOctetBodiesWithBit7AreExceptions) {
  TModbusPacker packer(1);
  for (const Octets& body :
       {Bytes({1, 0x04, 2}), Bytes({1, 0x83, 2, 0}), Bytes({1, 0x83}), Octets()}) {
    EXPECT_EQ(Capture([&] { packer.CheckExceptionResponse(body); }).kind, Kind::kNone);
  }
}

// ------------------------------------------------------------ read responses

struct ReadCase {
  const char* name;
  Octets body;
  int lastIndex;
  Kind kind;
  std::string message;
};

const ReadCase kReadCases[] = {
    {"Good", Bytes({1, 4, 4, 0x12, 0x34, 0xAB, 0xCD}), 1, Kind::kNone, ""},
    {"OtherAddress", Bytes({2, 4, 4, 0x12, 0x34, 0xAB, 0xCD}), 1, Kind::kLink,
     "В пакете указан несовпадающий адрес"},
    {"OtherFunction", Bytes({1, 3, 4, 0x12, 0x34, 0xAB, 0xCD}), 1, Kind::kLink,
     "Ответ не соответствует запросу"},
    {"ByteCountDiffers", Bytes({1, 4, 2, 0x12, 0x34, 0xAB, 0xCD}), 1, Kind::kLink,
     "Формат ответа не совпадает с ожидаемым"},
    // A 3-octet body that is no exception response holds no register data:
    // its byte count fits a one-register read but nothing may be read past it.
    {"ThreeOctetsNoData", Bytes({1, 4, 2}), 0, Kind::kLink,
     "Формат ответа не совпадает с ожидаемым"},
    {"BodyShorterThanByteCount", Bytes({1, 4, 4, 0x12, 0x34}), 1, Kind::kLink,
     "Формат ответа не совпадает с ожидаемым"},
    {"TooShortForAResponse", Bytes({1, 4}), 0, Kind::kLink,
     "Формат ответа не совпадает с ожидаемым"},
};

class ReadResponseTest : public testing::TestWithParam<ReadCase> {};

TEST_P(ReadResponseTest, ChecksThenFills) {
  const ReadCase& c = GetParam();
  TModbusPacker packer(1);
  std::vector<uint16_t> registers(2, 0x5555);
  const Outcome outcome =
      Capture([&] { packer.ParseReadResponse(4, c.body, c.lastIndex, registers); });
  ASSERT_EQ(outcome.kind, c.kind) << outcome.message;
  if (c.kind == Kind::kNone) {
    EXPECT_EQ(registers, (std::vector<uint16_t>{0x1234, 0xABCD}));
  } else {
    EXPECT_EQ(outcome.message, c.message);
    EXPECT_EQ(packer.LinkErrorCount, 1);
    EXPECT_EQ(registers, std::vector<uint16_t>(2, 0x5555));  // left as they were
  }
}

INSTANTIATE_TEST_SUITE_P(Bodies, ReadResponseTest, testing::ValuesIn(kReadCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ----------------------------------------------------------- write responses

struct WriteCase {
  const char* name;
  Octets body;
  Kind kind;
  std::string message;
};

const WriteCase kWriteCases[] = {
    {"Good", Bytes({1, 0x10, 0x50, 0xBA, 0, 2}), Kind::kNone, ""},
    {"OtherAddress", Bytes({3, 0x10, 0x50, 0xBA, 0, 2}), Kind::kLink,
     "В пакете указан несовпадающий адрес"},
    {"OtherFunction", Bytes({1, 0x06, 0x50, 0xBA, 0, 2}), Kind::kLink,
     "Ответ не соответствует запросу"},
    {"OtherStart", Bytes({1, 0x10, 0x50, 0xBB, 0, 2}), Kind::kLink,
     "Формат ответа не совпадает с ожидаемым"},
    {"OtherCount", Bytes({1, 0x10, 0x50, 0xBA, 1, 2}), Kind::kLink,
     "Формат ответа не совпадает с ожидаемым"},
    {"ThreeOctetsNoEcho", Bytes({1, 0x10, 0x50}), Kind::kLink,
     "Формат ответа не совпадает с ожидаемым"},
};

class WriteResponseTest : public testing::TestWithParam<WriteCase> {};

TEST_P(WriteResponseTest, ChecksTheEcho) {
  const WriteCase& c = GetParam();
  TModbusPacker packer(1);
  const Outcome outcome = Capture([&] { packer.ParseWriteResponse(c.body, 0x50BA, 2); });
  ASSERT_EQ(outcome.kind, c.kind) << outcome.message;
  EXPECT_EQ(outcome.message, c.message);
  EXPECT_EQ(packer.LinkErrorCount, c.kind == Kind::kNone ? 0 : 1);
}

INSTANTIATE_TEST_SUITE_P(Bodies, WriteResponseTest, testing::ValuesIn(kWriteCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ModbusPackerConstruction, StartsInRtuWithZeroCounters) {
  const TModbusPacker packer(17);
  EXPECT_EQ(packer.Address, 17);
  EXPECT_TRUE(packer.RtuMode);
  EXPECT_EQ(packer.ResponseCount, 0);
  EXPECT_EQ(packer.LinkErrorCount, 0);
}

}  // namespace
}  // namespace vela
