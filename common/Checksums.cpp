#include "common/Checksums.h"

#include <array>

namespace vela {
namespace {

constexpr std::array<uint16_t, 256> MakeCrc16ModbusTable() {
  std::array<uint16_t, 256> table{};
  for (unsigned i = 0; i < 256; ++i) {
    uint16_t crc = static_cast<uint16_t>(i);
    for (int bit = 0; bit < 8; ++bit) {
      crc =
          (crc & 1) ? static_cast<uint16_t>((crc >> 1) ^ 0xA001) : static_cast<uint16_t>(crc >> 1);
    }
    table[i] = crc;
  }
  return table;
}

constexpr auto kCrc16ModbusTable = MakeCrc16ModbusTable();

}  // namespace

uint8_t Sum8(const void* data, int count) {
  const auto* octets = static_cast<const uint8_t*>(data);
  uint8_t sum = 0;
  for (int i = 0; i < count; ++i) sum = static_cast<uint8_t>(sum + octets[i]);
  return sum;
}

uint16_t Crc16Modbus(const void* data, int count) {
  const auto* octets = static_cast<const uint8_t*>(data);
  uint16_t crc = 0xFFFF;
  for (int i = 0; i < count; ++i) {
    crc = static_cast<uint16_t>((crc >> 8) ^ kCrc16ModbusTable[(crc ^ octets[i]) & 0xFF]);
  }
  return crc;
}

uint8_t Lrc(const void* data, int count) {
  return static_cast<uint8_t>(0x100 - Sum8(data, count));
}

}  // namespace vela
