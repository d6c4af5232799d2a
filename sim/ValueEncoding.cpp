#include "sim/ValueEncoding.h"

#include <cmath>

namespace vela {
namespace {

bool HasMarkers(int normalisation) {
  return normalisation == 3 || normalisation == 4;
}

uint16_t EncodeUnsigned(double counts, int normalisation) {
  if (counts < 0) counts = 0;
  if (HasMarkers(normalisation)) {
    return counts > 0xFFFE ? kUnsignedOutOfRange : static_cast<uint16_t>(counts);
  }
  return counts > 0xFFFF ? 0xFFFF : static_cast<uint16_t>(counts);
}

uint16_t EncodeSigned(double counts, int normalisation) {
  const bool outOfRange = counts > 32767 || counts < -32767;
  if (normalisation == 3) {
    if (outOfRange) return kSignedOutOfRangeType3;
    return static_cast<uint16_t>(static_cast<int16_t>(counts));
  }
  if (normalisation == 4) {
    if (outOfRange) return kSignedOutOfRangeType4;
    return static_cast<uint16_t>(static_cast<int32_t>(counts) + kSignedZeroType4);
  }
  if (counts > 32767) counts = 32767;
  if (counts < -32768) counts = -32768;
  return static_cast<uint16_t>(static_cast<int16_t>(counts));
}

}  // namespace

uint16_t EncodeMeasured(double value, double step, bool isSigned, int normalisation) {
  double counts = std::round(value / step);
  if (std::isnan(counts)) counts = 0;
  return isSigned ? EncodeSigned(counts, normalisation) : EncodeUnsigned(counts, normalisation);
}

}  // namespace vela
