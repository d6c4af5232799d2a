#pragma once
// How a raw 16-bit register of the device becomes a number, by the
// normalisation type the device reports:
//   type 3: unsigned FFFFh and signed 8000h mean "out of range";
//   type 4: FFFFh means "out of range" for both kinds, and signed quantities
//           are sent with an offset of 7FFFh (7FFFh encodes zero);
//   other types (2 in practice): plain unsigned or two's-complement, no marker.

#include <cstdint>
#include <optional>

namespace vela {

enum class TRegisterKind { Unsigned, Signed };

// The register as a count, or nothing when it holds the out-of-range marker.
std::optional<int32_t> DecodeRegister(uint16_t raw, TRegisterKind kind, uint8_t normalisationType);

}  // namespace vela
