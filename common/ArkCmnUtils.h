#pragma once
// Small stateless helpers: bits, hexadecimal text, the device clock format.

#include <cstdint>
#include <string>

#include "common/ArkTypes.h"

namespace vela {

// value with bit (index mod 32) replaced by the lowest bit of bit.
uint32_t SetBit(uint32_t value, int index, uint32_t bit);
// (value >> (index mod 32)) & 1.
uint32_t GetBit(uint32_t value, int index);

// "0".."9" give 0..9; any other character c gives (c - 55) & 15, so both
// cases of "A".."F" give 10..15 and no character is refused.
int HexDigitValue(char c);
// Two upper-case digits per octet, high nibble first, no separators.
std::string BytesToHex(const void* data, int count);
std::string BytesToHex(const Octets& octets);
// The same digits, octets taken from the last to the first.
std::string BytesToHexReversed(const void* data, int count);
std::string BytesToHexReversed(const Octets& octets);
// One octet per pair of characters; a last unpaired character is ignored.
Octets HexToBytes(const std::string& text);

// Device clock: seconds since 01.01.2000 00:00:00 as "DD.MM.YYYY hh:mm:ss".
std::string SecondsToText(uint32_t seconds);
// (t - 36526) * 86400 rounded half to even, as a 32-bit value.
uint32_t DateTimeToSeconds(TDateTime t);

}  // namespace vela
