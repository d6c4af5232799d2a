#pragma once
// The two bases of the device's register blocks: a fixed run of consecutive
// registers with its start address, a copy of the registers and the time-out
// within which the device must answer a request for them.

#include <cstdint>
#include <vector>

namespace vela {

inline constexpr int32_t kModbusDefaultTimeoutMs = 300;

// Read-only blocks, read with function 4 (Read Input Registers).
class TModbusValues {
 public:
  TModbusValues(uint16_t startAddress, int count);
  virtual ~TModbusValues() = default;

  // The register at index, or FFFFh when index is outside the block.
  uint16_t GetRegister(int index) const;
  // GetRegister(2i) * 65536 + GetRegister(2i + 1): the lower-numbered
  // register is the high half.
  uint32_t GetDWord(int i) const;

  int RegisterCount() const { return static_cast<int>(Registers.size()); }

  uint16_t StartAddress;
  // One entry per register of the block; its length never changes.
  std::vector<uint16_t> Registers;
  int32_t Timeout = kModbusDefaultTimeoutMs;

 protected:
  // The register with the given device register number.
  uint16_t RegisterAt(uint16_t registerNumber) const {
    return GetRegister(registerNumber - StartAddress);
  }
};

// Read/write blocks, read with function 3 and written with function 16.
class TModbusParams {
 public:
  TModbusParams(uint16_t startAddress, int count);
  virtual ~TModbusParams() = default;

  int RegisterCount() const { return static_cast<int>(Registers.size()); }

  uint16_t StartAddress;
  // One entry per register of the block; its length never changes.
  std::vector<uint16_t> Registers;
  int32_t Timeout = kModbusDefaultTimeoutMs;

 protected:
  // One-octet fields: the getter returns the low octet of the word, the
  // setter stores the octet in the whole word (high octet 0).
  uint8_t OctetAt(int word) const { return static_cast<uint8_t>(Registers.at(word) & 0xFF); }
  void SetOctetAt(int word, uint8_t value) { Registers.at(word) = value; }
  // 32-bit fields stored low word first.
  uint32_t LowFirstDWordAt(int word) const;
  void SetLowFirstDWordAt(int word, uint32_t value);
};

}  // namespace vela
