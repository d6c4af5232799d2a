// The fast exchange's test of a whole Modbus answer, in both framings.

#include <gtest/gtest.h>

#include <string>

#include "modbus/ModbusAnswerComplete.h"
#include "tests/modbus/ModbusTestUtils.h"

namespace vela {
namespace {
using test::Bytes;
using test::DeviceFrame;

const Octets kReadRequest = Bytes({0x01, 0x04, 0x00, 0x01, 0x00, 0x02});  // 2 input registers
const Octets kWriteRequest = Bytes({0x01, 0x10, 0x00, 0x10, 0x00, 0x02, 0x04, 0, 1, 0, 2});
const Octets kReadAnswer = Bytes({0x01, 0x04, 0x04, 0x12, 0x34, 0x56, 0x78});
const Octets kWriteAnswer = Bytes({0x01, 0x10, 0x00, 0x10, 0x00, 0x02});
const Octets kException = Bytes({0x01, 0x84, 0x02});

enum class Received { kAsIs, kLastOctetCut, kOctetAdded, kCheckBroken, kTwice, kFirstHalf };

struct AnswerCase {
  const char* name;
  const Octets& requestBody;
  const Octets& answerBody;
  Received received;
  bool complete;
};

const AnswerCase kCases[] = {
    {"ExactReadAnswer", kReadRequest, kReadAnswer, Received::kAsIs, true},
    {"ExactWriteAnswer", kWriteRequest, kWriteAnswer, Received::kAsIs, true},
    {"ExceptionAnswer", kReadRequest, kException, Received::kAsIs, true},
    {"OneOctetShort", kReadRequest, kReadAnswer, Received::kLastOctetCut, false},
    {"ExceptionOneOctetShort", kReadRequest, kException, Received::kLastOctetCut, false},
    {"OneOctetExtra", kReadRequest, kReadAnswer, Received::kOctetAdded, false},
    {"BadCheck", kReadRequest, kReadAnswer, Received::kCheckBroken, false},
    {"TwoFramesBackToBack", kReadRequest, kReadAnswer, Received::kTwice, false},
    {"FirstPartOfASplitAnswer", kReadRequest, kReadAnswer, Received::kFirstHalf, false},
    {"ReadAnswerToAWrite", kWriteRequest, kReadAnswer, Received::kAsIs, false},
    {"OtherAddress", kReadRequest, Bytes({0x02, 0x04, 0x04, 0x12, 0x34, 0x56, 0x78}),
     Received::kAsIs, false},
    {"OtherFunction", kReadRequest, Bytes({0x01, 0x03, 0x04, 0x12, 0x34, 0x56, 0x78}),
     Received::kAsIs, false},
    {"ExceptionOfOtherFunction", kReadRequest, Bytes({0x01, 0x83, 0x02}), Received::kAsIs, false},
    // Three octets of an RTU answer of the exception length that is none.
    {"ExceptionLengthNotException", kReadRequest, Bytes({0x01, 0x04, 0x02}), Received::kAsIs,
     false},
};

Octets Shape(bool rtu, const AnswerCase& c) {
  const Octets frame = DeviceFrame(rtu, c.answerBody);
  switch (c.received) {
    case Received::kAsIs:
      return frame;
    case Received::kLastOctetCut:
      return frame.substr(0, frame.size() - 1);
    case Received::kOctetAdded:
      return frame + '\0';
    case Received::kCheckBroken: {
      // The last checksum octet (RTU) or digit (ASCII) changed.
      Octets broken = frame;
      broken[rtu ? frame.size() - 1 : frame.size() - 3] ^= 0x01;
      return broken;
    }
    case Received::kTwice:
      return frame + frame;
    case Received::kFirstHalf:
      return frame.substr(0, frame.size() / 2);
  }
  return frame;
}

class ModbusAnswerCompleteTest : public testing::TestWithParam<std::tuple<bool, AnswerCase>> {};

TEST_P(ModbusAnswerCompleteTest, AcceptsExactlyOneWholeValidAnswer) {
  const auto& [rtu, c] = GetParam();
  const TModbusAnswerComplete complete(rtu, DeviceFrame(rtu, c.requestBody));
  EXPECT_EQ(complete(Shape(rtu, c)), c.complete);
}

INSTANTIATE_TEST_SUITE_P(Table, ModbusAnswerCompleteTest,
                         testing::Combine(testing::Bool(), testing::ValuesIn(kCases)),
                         [](const auto& info) {
                           return std::string(std::get<0>(info.param) ? "Rtu" : "Ascii") +
                                  std::get<1>(info.param).name;
                         });

TEST(ModbusAnswerCompleteAscii, LowerCaseDigitsAreAcceptedOthersAreNot) {
  const TModbusAnswerComplete complete(false, DeviceFrame(false, kReadRequest));
  Octets lower = DeviceFrame(false, kReadAnswer);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_TRUE(complete(lower));
  Octets notHex = DeviceFrame(false, kException);
  notHex[1] = 'G';
  EXPECT_FALSE(complete(notHex));
}

TEST(ModbusAnswerComplete, ARequestOfAnotherFunctionOrBrokenAcceptsNothing) {
  Octets broken = DeviceFrame(true, kReadRequest);
  broken.back() ^= 0x01;
  const Octets function6 = DeviceFrame(true, Bytes({0x01, 0x06, 0x00, 0x01, 0x00, 0x02}));
  for (const Octets& request : {broken, function6}) {
    const TModbusAnswerComplete complete(true, request);
    EXPECT_FALSE(complete(DeviceFrame(true, kReadAnswer)));
    EXPECT_FALSE(complete(DeviceFrame(true, Bytes({0x01, 0x86, 0x02}))));
  }
}

}  // namespace
}  // namespace vela
