#pragma once
// The measured-value types of IEC 60870-5-101 the program reads, as one
// table: how each codes its value (normalised, scaled or short float), whether
// a quality descriptor follows, and which time tag ends the element.

#include <cstdint>
#include <string>

#include "common/ArkTypes.h"
#include "iec101/IecTypes.h"

namespace vela {

enum class TMeasuredCoding : uint8_t {
  Normalised,  // 16-bit two's complement fraction of full scale, shown as that fraction
  Scaled,      // 16-bit two's complement integer
  Float,       // IEEE 754 single
};

enum class TTimeTag : uint8_t { None, Cp24, Cp56 };

struct TMeasuredFormat {
  uint8_t type;
  TMeasuredCoding coding;
  bool quality;  // a QDS octet follows the value
  TTimeTag tag;
  int ElementSize() const;
};

// The format of a measured-value type, or null for any other type.
const TMeasuredFormat* MeasuredFormat(uint8_t type);

// One element as its type codes it: the value as a float (normalised as the
// fraction, scaled as the integer), the QDS (0 where the type has none) and
// the time tag as text (empty without one). element holds ElementSize()
// octets.
struct TDecodedElement {
  TArkIecTypeFloatQDS value;
  std::string time;
};
TDecodedElement DecodeMeasuredElement(const TMeasuredFormat& format, const Octets& element);

// The element's octets for value, qds and the time tag taken from time
// (CP24Time2a: its first three octets); what the simulated device sends.
Octets EncodeMeasuredElement(const TMeasuredFormat& format, float value, uint8_t qds,
                             const TArkIecTypeTime& time);

// Time tag texts: CP56Time2a as "2026-02-01 03:04:05.123", CP24Time2a (minute
// and milliseconds only) as "04:05.123"; " IV" follows an invalid time.
std::string Cp56Text(const TArkIecTypeTime& time);
std::string Cp24Text(const TArkIecTypeTime& time);

}  // namespace vela
