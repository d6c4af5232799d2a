#pragma once
// The Modbus master's frame builder: RTU and ASCII framing, the three requests
// the program sends (functions 3, 4 and 16) and the checks of their responses.

#include <cstddef>
#include <cstdint>
#include <span>

#include "common/ArkTypes.h"
#include "modbus/ModbusExceptions.h"

namespace vela {

inline constexpr uint8_t kModbusReadHoldingRegisters = 0x03;
inline constexpr uint8_t kModbusReadInputRegisters = 0x04;
inline constexpr uint8_t kModbusWriteMultipleRegisters = 0x10;
// Function 16 carries at most this many registers.
inline constexpr int kModbusMaxWriteRegisters = 123;

class TModbusPacker {
 public:
  explicit TModbusPacker(uint8_t address);

  // --- Framing ---
  // RTU: body + CRC-16 (low octet first). ASCII: ":" + hex(body + LRC) + CR LF.
  Octets WrapFrame(const Octets& body) const;
  // Checks length, delimiters and checksum of one received frame and replaces
  // it by its body. Raises TModbusLinkException on failure (the argument is
  // then of no further use). A frame of the exception-response length
  // (5 RTU, 11 ASCII) passes the length check whatever is expected.
  void UnwrapFrame(Octets& frame, int expectedLength);
  // Frame length of a response to a read of registerCount registers.
  int ExpectedReadLength(int registerCount) const;
  // Frame length of a response to a write of several registers.
  int ExpectedWriteLength() const;

  // --- Requests (complete frames) ---
  Octets ReadRequest(uint8_t function, uint16_t startAddress, uint16_t count) const;
  Octets ReadInputRegistersRequest(uint16_t startAddress, uint16_t count) const;
  Octets ReadHoldingRegistersRequest(uint16_t startAddress, uint16_t count) const;
  // Writes registers[0..lastIndex]. A count outside 1..123 raises
  // TModbusLogicException with Code 0 before anything is built.
  Octets WriteRegistersRequest(uint16_t startAddress, std::span<const uint16_t> registers,
                               int lastIndex) const;

  // --- Response checks (on a body from UnwrapFrame) ---
  // Raises TModbusLogicException when the body is a device exception response.
  void CheckExceptionResponse(const Octets& body) const;
  // Checks a read response and fills registers[0..lastIndex]; the registers
  // are written only when every check has passed.
  void ParseReadResponse(uint8_t function, const Octets& body, int lastIndex,
                         std::span<uint16_t> registers);
  // Checks a response to a write of count registers from startAddress.
  void ParseWriteResponse(const Octets& body, uint16_t startAddress, uint16_t count);

  // Device address written into every request and expected in every response.
  uint8_t Address;
  // true: RTU framing; false: ASCII framing.
  bool RtuMode = true;
  // Responses parsed (incremented by the block-level parse operations).
  int32_t ResponseCount = 0;
  // Incremented once for every TModbusLinkException this packer raises.
  int32_t LinkErrorCount = 0;

 private:
  [[noreturn]] void RaiseLinkError(const std::string& message);
  void UnwrapRtuFrame(Octets& frame, int expectedLength);
  void UnwrapAsciiFrame(Octets& frame, int expectedLength);
  // Address and function of a response that is not an exception response.
  void CheckAddressAndFunction(const Octets& body, uint8_t function);
};

// The MODBUS ASCII frame of a body that carries its LRC already: ':', the
// body as upper-case hexadecimal text, CR LF.
Octets AsciiFrameOfChecked(const Octets& checked);

}  // namespace vela
