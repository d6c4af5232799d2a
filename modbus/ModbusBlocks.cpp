#include "modbus/ModbusBlocks.h"

#include <cstddef>

namespace vela {

TModbusValues::TModbusValues(uint16_t startAddress, int count)
    : StartAddress(startAddress), Registers(static_cast<size_t>(count), 0) {}

uint16_t TModbusValues::GetRegister(int index) const {
  if (index < 0 || index >= RegisterCount()) return 0xFFFF;
  return Registers[static_cast<size_t>(index)];
}

uint32_t TModbusValues::GetDWord(int i) const {
  return static_cast<uint32_t>(GetRegister(2 * i)) << 16 | GetRegister(2 * i + 1);
}

TModbusParams::TModbusParams(uint16_t startAddress, int count)
    : StartAddress(startAddress), Registers(static_cast<size_t>(count), 0) {}

uint32_t TModbusParams::LowFirstDWordAt(int word) const {
  return Registers.at(word) | static_cast<uint32_t>(Registers.at(word + 1)) << 16;
}

void TModbusParams::SetLowFirstDWordAt(int word, uint32_t value) {
  Registers.at(word) = static_cast<uint16_t>(value & 0xFFFF);
  Registers.at(word + 1) = static_cast<uint16_t>(value >> 16);
}

}  // namespace vela
