// Random octets from the line thrown at every unwrap and parse operation, in
// both framings and for every block: only the two Modbus exception classes may
// come out, a failed parse leaves the registers alone, and (under the
// sanitizers) nothing is read or written out of bounds.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "modbus/ModbusBlockOps.h"
#include "modbus/ModbusParamBlocks.h"
#include "modbus/ModbusValueBlocks.h"
#include "tests/modbus/AllBlocks.h"
#include "tests/modbus/ModbusTestUtils.h"

namespace vela {
namespace {
using test::Capture;
using test::DeviceFrame;
using test::Outcome;
using Kind = Outcome::Kind;

constexpr int kIterations = 20000;
constexpr size_t kMaxLength = 300;

class LineNoise {
 public:
  explicit LineNoise(uint32_t seed) : random_(seed) {}

  int Below(int limit) { return std::uniform_int_distribution<int>(0, limit - 1)(random_); }

  Octets RandomOctets(size_t length) {
    Octets octets(length, '\0');
    for (char& c : octets) c = static_cast<char>(Below(256));
    return octets;
  }

  // Octets shaped like one response: raw noise, ASCII-looking text, a frame
  // with a correct checksum around a random body, a valid answer with one
  // octet changed, or a valid answer cut short.
  Octets Frame(bool rtu, uint8_t address, const Octets& validAnswer) {
    const size_t length = static_cast<size_t>(Below(kMaxLength + 1));
    switch (Below(5)) {
      case 0:
        return RandomOctets(length);
      case 1:
        return AsciiLooking(length);
      case 2: {
        Octets body = RandomOctets(static_cast<size_t>(Below(12) == 0 ? length : Below(10)));
        if (!body.empty() && Below(2) == 0) body[0] = static_cast<char>(address);
        return DeviceFrame(rtu, body);
      }
      case 3:
        return validAnswer.substr(0, static_cast<size_t>(Below(int(validAnswer.size()) + 1)));
      default: {
        Octets frame = validAnswer;
        if (!frame.empty()) frame[static_cast<size_t>(Below(int(frame.size())))] ^= 1 + Below(255);
        return frame;
      }
    }
  }

 private:
  Octets AsciiLooking(size_t length) {
    static const char kChars[] = "0123456789ABCDEFabcdef:\r\nGz";
    Octets text = ":";
    for (size_t i = 0; i < length; ++i) text += kChars[Below(sizeof kChars - 1)];
    return text + "\r\n";
  }

  std::mt19937 random_;
};

using Blocks = test::AllBlocks;

// A correct answer to a read of count registers, for mutation.
Octets ValidReadAnswer(bool rtu, uint8_t address, uint8_t function, size_t count) {
  Octets body{static_cast<char>(address), static_cast<char>(function),
              static_cast<char>(2 * count)};
  body.append(2 * count, '\x11');
  return DeviceFrame(rtu, body);
}

TEST(ModbusFuzz, RandomResponsesRaiseOnlyModbusExceptions) {
  LineNoise noise(0x5EED1234);
  Blocks blocks;
  TModbusPacker packer(1);
  int successes = 0;
  for (int i = 0; i < kIterations; ++i) {
    packer.RtuMode = noise.Below(2) == 0;
    packer.Address = static_cast<uint8_t>(noise.Below(3));
    const bool isValues = noise.Below(2) == 0;
    const size_t index = static_cast<size_t>(noise.Below(isValues ? 6 : 7));
    std::vector<uint16_t>& registers =
        isValues ? blocks.values[index]->Registers : blocks.params[index]->Registers;
    const std::vector<uint16_t> before = registers;
    const Octets received = noise.Frame(
        packer.RtuMode, packer.Address,
        ValidReadAnswer(packer.RtuMode, packer.Address, isValues ? 4 : 3, registers.size()));
    Outcome outcome;
    const int operation = noise.Below(5);
    switch (operation) {
      case 0: {
        Octets frame = received;
        outcome = Capture([&] { packer.UnwrapFrame(frame, noise.Below(320)); });
        break;
      }
      case 1:
        outcome = Capture([&] {
          if (isValues) {
            ParseValues(packer, *blocks.values[index], received);
          } else {
            ParseParams(packer, *blocks.params[index], received);
          }
        });
        break;
      case 2:
        outcome = Capture([&] {
          ParseWriteParams(packer, isValues ? blocks.link : *blocks.params[index], received);
        });
        break;
      case 3:
        outcome = Capture([&] {
          packer.ParseReadResponse(isValues ? 4 : 3, received,
                                   static_cast<int>(registers.size()) - 1, registers);
        });
        break;
      case 4:
        outcome = Capture([&] { packer.ParseWriteResponse(received, 0x50B6, 16); });
        break;
    }
    ASSERT_NE(outcome.kind, Kind::kOther) << outcome.message << " at iteration " << i;
    if (outcome.kind == Kind::kNone) {
      ++successes;
      // A body accepted as it stands must hold exactly what it announced.
      if (operation == 3) {
        ASSERT_EQ(received.size(), 3 + 2 * registers.size()) << i;
      } else if (operation == 4) {
        ASSERT_EQ(received.size(), 6u) << i;
      }
    } else {
      ASSERT_EQ(registers, before) << "iteration " << i;
    }
  }
  // The generator must reach past the checks now and then.
  EXPECT_GT(successes, 100);
}

}  // namespace
}  // namespace vela
