#include "display/RegisterNormalisation.h"

namespace vela {

std::optional<int32_t> DecodeRegister(uint16_t raw, TRegisterKind kind, uint8_t normalisationType) {
  const bool isSigned = kind == TRegisterKind::Signed;
  if (normalisationType == 3) {
    if (raw == (isSigned ? 0x8000 : 0xFFFF)) return std::nullopt;
  } else if (normalisationType == 4) {
    if (raw == 0xFFFF) return std::nullopt;
    if (isSigned) return static_cast<int16_t>(static_cast<uint16_t>(raw - 0x7FFF));
  }
  return isSigned ? static_cast<int32_t>(static_cast<int16_t>(raw)) : static_cast<int32_t>(raw);
}

}  // namespace vela
