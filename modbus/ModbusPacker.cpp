#include "modbus/ModbusPacker.h"

#include <stdexcept>

#include "common/ArkCmnUtils.h"
#include "common/Checksums.h"
#include "modbus/ModbusMessages.h"

namespace vela {
namespace msg = modbus_messages;

namespace {

// Length of a whole exception-response frame (body of 3 octets).
constexpr int kRtuExceptionFrameLength = 5;
constexpr int kAsciiExceptionFrameLength = 11;
// Shortest body that can be a response: address, function, one more octet.
constexpr size_t kMinResponseBody = 3;
constexpr size_t kWriteResponseBody = 6;

uint8_t OctetOf(const Octets& octets, size_t index) {
  return static_cast<uint8_t>(octets[index]);
}

uint16_t WordOf(const Octets& octets, size_t index) {
  return static_cast<uint16_t>(OctetOf(octets, index) << 8 | OctetOf(octets, index + 1));
}

void AppendWord(Octets& octets, uint16_t value) {
  octets += static_cast<char>(value >> 8);
  octets += static_cast<char>(value & 0xFF);
}

}  // namespace

TModbusPacker::TModbusPacker(uint8_t address) : Address(address) {}

void TModbusPacker::RaiseLinkError(const std::string& message) {
  throw TModbusLinkException(message, LinkErrorCount);
}

Octets AsciiFrameOfChecked(const Octets& checked) {
  // Built in place: GCC 12 at -O3 warns falsely about "literal + string".
  const std::string hex = BytesToHex(checked);
  Octets frame;
  frame.reserve(hex.size() + 3);
  frame += ':';
  frame += hex;
  frame += "\r\n";
  return frame;
}

Octets TModbusPacker::WrapFrame(const Octets& body) const {
  const int size = static_cast<int>(body.size());
  if (RtuMode) {
    const uint16_t crc = Crc16Modbus(body.data(), size);
    Octets frame = body;
    frame += static_cast<char>(crc & 0xFF);
    frame += static_cast<char>(crc >> 8);
    return frame;
  }
  Octets checked = body;
  checked += static_cast<char>(Lrc(body.data(), size));
  return AsciiFrameOfChecked(checked);
}

void TModbusPacker::UnwrapFrame(Octets& frame, int expectedLength) {
  if (RtuMode) {
    UnwrapRtuFrame(frame, expectedLength);
  } else {
    UnwrapAsciiFrame(frame, expectedLength);
  }
}

void TModbusPacker::UnwrapRtuFrame(Octets& frame, int expectedLength) {
  const int length = static_cast<int>(frame.size());
  if (length != expectedLength && length != kRtuExceptionFrameLength) {
    RaiseLinkError(msg::LengthMismatchText(length, expectedLength));
  }
  // Only reachable with an expected length below any real response.
  if (frame.size() < kMinResponseBody + 2) RaiseLinkError(msg::kFormatMismatch);
  const uint16_t received = static_cast<uint16_t>(OctetOf(frame, frame.size() - 2) |
                                                  OctetOf(frame, frame.size() - 1) << 8);
  if (Crc16Modbus(frame.data(), length - 2) != received) RaiseLinkError(msg::kChecksumMismatch);
  frame.resize(frame.size() - 2);
}

void TModbusPacker::UnwrapAsciiFrame(Octets& frame, int expectedLength) {
  const int length = static_cast<int>(frame.size());
  if (length != expectedLength && length != kAsciiExceptionFrameLength) {
    RaiseLinkError(msg::LengthMismatchText(length, expectedLength));
  }
  if (length < 3 || frame.front() != ':' || frame[frame.size() - 2] != '\r' ||
      frame.back() != '\n') {
    RaiseLinkError(msg::kAsciiFrameBroken);
  }
  Octets decoded = HexToBytes(frame.substr(1, frame.size() - 3));
  // Only reachable with an expected length below any real response.
  if (decoded.size() < kMinResponseBody + 1) RaiseLinkError(msg::kFormatMismatch);
  const size_t checksumIndex = decoded.size() - 1;
  if (Lrc(decoded.data(), static_cast<int>(checksumIndex)) != OctetOf(decoded, checksumIndex)) {
    RaiseLinkError(msg::kChecksumMismatch);
  }
  decoded.resize(checksumIndex);
  frame = std::move(decoded);
}

int TModbusPacker::ExpectedReadLength(int registerCount) const {
  return RtuMode ? 2 * registerCount + 5 : 4 * registerCount + 11;
}

int TModbusPacker::ExpectedWriteLength() const {
  return RtuMode ? 8 : 17;
}

Octets TModbusPacker::ReadRequest(uint8_t function, uint16_t startAddress, uint16_t count) const {
  Octets body;
  body += static_cast<char>(Address);
  body += static_cast<char>(function);
  AppendWord(body, startAddress);
  AppendWord(body, count);
  return WrapFrame(body);
}

Octets TModbusPacker::ReadInputRegistersRequest(uint16_t startAddress, uint16_t count) const {
  return ReadRequest(kModbusReadInputRegisters, startAddress, count);
}

Octets TModbusPacker::ReadHoldingRegistersRequest(uint16_t startAddress, uint16_t count) const {
  return ReadRequest(kModbusReadHoldingRegisters, startAddress, count);
}

Octets TModbusPacker::WriteRegistersRequest(uint16_t startAddress,
                                            std::span<const uint16_t> registers,
                                            int lastIndex) const {
  const uint16_t count = static_cast<uint16_t>(lastIndex + 1);
  if (count > kModbusMaxWriteRegisters || count < 1) {
    throw TModbusLogicException(msg::RegisterCountRefusedText(count), 0);
  }
  if (count > registers.size()) {
    throw std::out_of_range("WriteRegistersRequest: last index beyond the registers");
  }
  Octets body;
  body += static_cast<char>(Address);
  body += static_cast<char>(kModbusWriteMultipleRegisters);
  AppendWord(body, startAddress);
  AppendWord(body, count);
  body += static_cast<char>(2 * count);
  for (size_t k = 0; k < count; ++k) AppendWord(body, registers[k]);
  return WrapFrame(body);
}

void TModbusPacker::CheckExceptionResponse(const Octets& body) const {
  if (body.size() != 3 || (OctetOf(body, 1) & 0x80) == 0) return;
  const int code = OctetOf(body, 2);
  throw TModbusLogicException(msg::ExceptionResponseText(code), code);
}

void TModbusPacker::CheckAddressAndFunction(const Octets& body, uint8_t function) {
  // A body shorter than any response can only come from a misused unwrap.
  if (body.size() < kMinResponseBody) RaiseLinkError(msg::kFormatMismatch);
  if (OctetOf(body, 0) != Address) RaiseLinkError(msg::kAddressMismatch);
  if (OctetOf(body, 1) != function) RaiseLinkError(msg::kResponseMismatch);
}

void TModbusPacker::ParseReadResponse(uint8_t function, const Octets& body, int lastIndex,
                                      std::span<uint16_t> registers) {
  if (lastIndex < -1 || static_cast<size_t>(lastIndex + 1) > registers.size()) {
    throw std::out_of_range("ParseReadResponse: last index beyond the registers");
  }
  CheckExceptionResponse(body);
  CheckAddressAndFunction(body, function);
  const size_t count = static_cast<size_t>(lastIndex + 1);
  // The byte count must match, and the body must really hold that many
  // octets: a 3-octet body that is no exception response holds none.
  if (OctetOf(body, 2) != 2 * count || body.size() != kMinResponseBody + 2 * count) {
    RaiseLinkError(msg::kFormatMismatch);
  }
  for (size_t k = 0; k < count; ++k) registers[k] = WordOf(body, 3 + 2 * k);
}

void TModbusPacker::ParseWriteResponse(const Octets& body, uint16_t startAddress, uint16_t count) {
  CheckExceptionResponse(body);
  CheckAddressAndFunction(body, kModbusWriteMultipleRegisters);
  if (body.size() != kWriteResponseBody || WordOf(body, 2) != startAddress ||
      WordOf(body, 4) != count) {
    RaiseLinkError(msg::kFormatMismatch);
  }
}

}  // namespace vela
