#include "sim/ModbusSlave.h"

#include <vector>

namespace vela {
namespace {
constexpr uint8_t kReadHolding = 3;
constexpr uint8_t kReadInput = 4;
constexpr uint8_t kWriteMultiple = 16;
constexpr size_t kReadRequestLength = 6;
constexpr size_t kWriteHeaderLength = 7;  // address .. byte count

uint16_t Word(const Octets& body, size_t at) {
  return static_cast<uint16_t>(static_cast<uint8_t>(body[at]) << 8 |
                               static_cast<uint8_t>(body[at + 1]));
}

void AppendWord(Octets& body, uint16_t value) {
  body += static_cast<char>(value >> 8);
  body += static_cast<char>(value & 0xFF);
}
}  // namespace

std::optional<Octets> ModbusSlave::Handle(const Octets& request) {
  if (request.size() < 2) return std::nullopt;
  const auto address = static_cast<uint8_t>(request[0]);
  const auto function = static_cast<uint8_t>(request[1]);
  if (address == kBroadcastAddress) {
    if (function == kWriteMultiple) Write(request);
    return std::nullopt;
  }
  if (address != address_) return std::nullopt;
  switch (function) {
    case kReadHolding:
    case kReadInput:
      return Read(function, request);
    case kWriteMultiple:
      return Write(request);
    default:
      return Exception(function, ModbusError::IllegalFunction);
  }
}

std::optional<LineFault> ModbusSlave::BlockFaultOf(const Octets& request) {
  if (request.size() != kReadRequestLength || static_cast<uint8_t>(request[0]) != address_) {
    return std::nullopt;
  }
  const auto function = static_cast<uint8_t>(request[1]);
  if (function != kReadHolding && function != kReadInput) return std::nullopt;
  return device_.TakeReadFault(function == kReadInput, Word(request, 2));
}

Octets ModbusSlave::Read(uint8_t function, const Octets& request) const {
  if (request.size() != kReadRequestLength) {
    return Exception(function, ModbusError::IllegalDataValue);
  }
  const uint16_t start = Word(request, 2);
  const uint16_t count = Word(request, 4);
  std::vector<uint16_t> values;
  const ModbusError error = function == kReadInput
                                ? device_.ReadInputRegisters(start, count, values)
                                : device_.ReadHoldingRegisters(start, count, values);
  if (error != ModbusError::None) return Exception(function, error);
  Octets answer;
  answer += static_cast<char>(address_);
  answer += static_cast<char>(function);
  answer += static_cast<char>(values.size() * 2);
  for (uint16_t value : values) AppendWord(answer, value);
  return answer;
}

Octets ModbusSlave::Write(const Octets& request) {
  if (request.size() < kWriteHeaderLength) {
    return Exception(kWriteMultiple, ModbusError::IllegalDataValue);
  }
  const uint16_t start = Word(request, 2);
  const uint16_t count = Word(request, 4);
  const auto byteCount = static_cast<uint8_t>(request[6]);
  if (byteCount != 2u * count || request.size() != kWriteHeaderLength + byteCount) {
    return Exception(kWriteMultiple, ModbusError::IllegalDataValue);
  }
  std::vector<uint16_t> values;
  for (size_t i = 0; i < count; ++i) values.push_back(Word(request, kWriteHeaderLength + 2 * i));
  const ModbusError error = device_.WriteRegisters(start, values);
  if (error != ModbusError::None) return Exception(kWriteMultiple, error);
  Octets answer = request.substr(0, 2);
  AppendWord(answer, start);
  AppendWord(answer, count);
  return answer;
}

Octets ModbusSlave::Exception(uint8_t function, ModbusError error) const {
  Octets answer;
  answer += static_cast<char>(address_);
  answer += static_cast<char>(function | 0x80);
  answer += static_cast<char>(error);
  return answer;
}

}  // namespace vela
