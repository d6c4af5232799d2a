#pragma once
// How the device puts a measured value into a 16-bit input register under its
// normalisation type:
//   3: unsigned 0..FFFEh, FFFFh out of range; signed two's complement
//      -32767..32767, 8000h out of range;
//   4: unsigned as type 3; signed sent as value + 7FFFh (0..FFFEh), FFFFh out
//      of range;
//   any other (2 in practice): plain 16-bit numbers, saturated, no marker.

#include <cstdint>

namespace vela {

// value is in the unit of the quantity, step is the value of one count.
uint16_t EncodeMeasured(double value, double step, bool isSigned, int normalisation);

constexpr uint16_t kUnsignedOutOfRange = 0xFFFF;
constexpr uint16_t kSignedOutOfRangeType3 = 0x8000;
constexpr uint16_t kSignedOutOfRangeType4 = 0xFFFF;
constexpr uint16_t kSignedZeroType4 = 0x7FFF;

}  // namespace vela
