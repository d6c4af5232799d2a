#pragma once
// Checksums of the serial protocols: the FT 1.2 sum, the Modbus CRC-16 and LRC.
// A count of 0 or less gives the initial value.

#include <cstdint>

namespace vela {

uint8_t Sum8(const void* data, int count);
uint16_t Crc16(const void* data, int count);
uint8_t Lrc(const void* data, int count);

}  // namespace vela
