#include "modbus/ModbusAnswerComplete.h"

#include <algorithm>
#include <cctype>
#include <optional>

#include "common/ArkCmnUtils.h"
#include "common/Checksums.h"
#include "modbus/ModbusPacker.h"

namespace vela {
namespace {

constexpr size_t kExceptionBodyLength = 3;
constexpr size_t kWriteAnswerBodyLength = 6;
constexpr size_t kReadRequestBodyLength = 6;
constexpr uint8_t kExceptionFlag = 0x80;

uint8_t OctetOf(const Octets& octets, size_t index) {
  return static_cast<uint8_t>(octets[index]);
}

// The body of a frame whose framing and checksum are right; none otherwise.
// Never raises: it runs on every arrival of octets.
std::optional<Octets> CheckedBody(bool rtuMode, const Octets& frame) {
  if (rtuMode) {
    if (frame.size() < 3) return std::nullopt;
    const size_t n = frame.size() - 2;
    const uint16_t received = static_cast<uint16_t>(OctetOf(frame, n) | OctetOf(frame, n + 1) << 8);
    if (Crc16Modbus(frame.data(), static_cast<int>(n)) != received) return std::nullopt;
    return frame.substr(0, n);
  }
  // ":", an even number of hexadecimal digits, CR LF.
  if (frame.size() < 5 || frame.front() != ':' || frame[frame.size() - 2] != '\r' ||
      frame.back() != '\n') {
    return std::nullopt;
  }
  const std::string digits = frame.substr(1, frame.size() - 3);
  const auto isDigit = [](char c) { return std::isxdigit(static_cast<unsigned char>(c)) != 0; };
  if (digits.size() % 2 != 0 || !std::all_of(digits.begin(), digits.end(), isDigit)) {
    return std::nullopt;
  }
  Octets body = HexToBytes(digits);
  const uint8_t checksum = OctetOf(body, body.size() - 1);
  body.pop_back();
  if (Lrc(body.data(), static_cast<int>(body.size())) != checksum) return std::nullopt;
  return body;
}

}  // namespace

TModbusAnswerComplete::TModbusAnswerComplete(bool rtuMode, const Octets& request)
    : rtuMode_(rtuMode) {
  const std::optional<Octets> body = CheckedBody(rtuMode, request);
  if (!body || body->size() < kReadRequestBodyLength) return;
  address_ = OctetOf(*body, 0);
  function_ = OctetOf(*body, 1);
  const size_t count = static_cast<size_t>(OctetOf(*body, 4) << 8 | OctetOf(*body, 5));
  if (function_ == kModbusReadHoldingRegisters || function_ == kModbusReadInputRegisters) {
    if (count > 0) answerBodyLength_ = 3 + 2 * count;
  } else if (function_ == kModbusWriteMultipleRegisters) {
    answerBodyLength_ = kWriteAnswerBodyLength;
  }
}

size_t TModbusAnswerComplete::FrameLength(size_t bodyLength) const {
  return rtuMode_ ? bodyLength + 2 : 2 * (bodyLength + 1) + 3;
}

bool TModbusAnswerComplete::operator()(const Octets& received) const {
  if (answerBodyLength_ == 0) return false;
  // Most arrivals are a part of the answer: the length alone refuses them.
  const bool exceptionLength = received.size() == FrameLength(kExceptionBodyLength);
  if (received.size() != FrameLength(answerBodyLength_) && !exceptionLength) return false;
  const std::optional<Octets> body = CheckedBody(rtuMode_, received);
  if (!body || OctetOf(*body, 0) != address_) return false;
  const uint8_t function = OctetOf(*body, 1);
  if (body->size() == answerBodyLength_ && function == function_) return true;
  return body->size() == kExceptionBodyLength && function == (function_ | kExceptionFlag);
}

}  // namespace vela
