#pragma once
// Checksums of the serial protocols: the FT 1.2 sum, the Modbus RTU CRC-16 and
// the Modbus ASCII LRC. A count of 0 or less gives the initial value.

#include <cstdint>

namespace vela {

// 8-bit arithmetic sum of the octets (FT 1.2 frames).
uint8_t Sum8(const void* data, int count);
// CRC-16 with polynomial A001h (reflected 8005h) and initial value FFFFh.
uint16_t Crc16Modbus(const void* data, int count);
// Two's complement of the 8-bit sum.
uint8_t Lrc(const void* data, int count);

}  // namespace vela
