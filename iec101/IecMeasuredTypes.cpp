#include "iec101/IecMeasuredTypes.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

namespace vela {
namespace {

using C = TMeasuredCoding;
using T = TTimeTag;

constexpr TMeasuredFormat kFormats[] = {
    {9, C::Normalised, true, T::None},    // M_ME_NA_1
    {10, C::Normalised, true, T::Cp24},   // M_ME_TA_1
    {11, C::Scaled, true, T::None},       // M_ME_NB_1
    {12, C::Scaled, true, T::Cp24},       // M_ME_TB_1
    {13, C::Float, true, T::None},        // M_ME_NC_1
    {14, C::Float, true, T::Cp24},        // M_ME_TC_1
    {21, C::Normalised, false, T::None},  // M_ME_ND_1
    {34, C::Normalised, true, T::Cp56},   // M_ME_TD_1
    {35, C::Scaled, true, T::Cp56},       // M_ME_TE_1
    {36, C::Float, true, T::Cp56},        // M_ME_TF_1
};

constexpr int kCp24Size = 3;
constexpr float kNormalisedScale = 32768.0f;

int ValueSize(C coding) {
  return coding == C::Float ? 4 : 2;
}

int TagSize(T tag) {
  return tag == T::Cp24 ? kCp24Size : tag == T::Cp56 ? TArkIecTypeTime::kSize : 0;
}

uint8_t At(const Octets& octets, size_t i) {
  return static_cast<uint8_t>(octets.at(i));
}

int16_t Int16At(const Octets& octets, size_t i) {
  return static_cast<int16_t>(At(octets, i) | (At(octets, i + 1) << 8));
}

Octets Int16Octets(long value) {
  const long clamped = std::clamp(value, -32768L, 32767L);
  return {static_cast<char>(clamped & 0xFF), static_cast<char>((clamped >> 8) & 0xFF)};
}

}  // namespace

int TMeasuredFormat::ElementSize() const {
  return ValueSize(coding) + (quality ? 1 : 0) + TagSize(tag);
}

const TMeasuredFormat* MeasuredFormat(uint8_t type) {
  for (const TMeasuredFormat& format : kFormats) {
    if (format.type == type) return &format;
  }
  return nullptr;
}

TDecodedElement DecodeMeasuredElement(const TMeasuredFormat& format, const Octets& element) {
  const size_t valueSize = static_cast<size_t>(ValueSize(format.coding));
  const uint8_t qds = format.quality ? At(element, valueSize) : 0;
  float value = 0;
  switch (format.coding) {
    case C::Normalised:
      value = static_cast<float>(Int16At(element, 0)) / kNormalisedScale;
      break;
    case C::Scaled:
      value = static_cast<float>(Int16At(element, 0));
      break;
    case C::Float:
      value =
          TArkIecTypeFloatQDS({At(element, 0), At(element, 1), At(element, 2), At(element, 3), 0})
              .Value();
      break;
  }
  TDecodedElement decoded{TArkIecTypeFloatQDS(value, qds), {}};
  const size_t tagAt = valueSize + (format.quality ? 1 : 0);
  std::array<uint8_t, TArkIecTypeTime::kSize> tag{};
  for (int i = 0; i < TagSize(format.tag); ++i) tag[i] = At(element, tagAt + i);
  if (format.tag == T::Cp24) decoded.time = Cp24Text(TArkIecTypeTime(tag));
  if (format.tag == T::Cp56) decoded.time = Cp56Text(TArkIecTypeTime(tag));
  return decoded;
}

Octets EncodeMeasuredElement(const TMeasuredFormat& format, float value, uint8_t qds,
                             const TArkIecTypeTime& time) {
  Octets element;
  switch (format.coding) {
    case C::Normalised:
      element = Int16Octets(std::lround(value * kNormalisedScale));
      break;
    case C::Scaled:
      element = Int16Octets(std::lround(value));
      break;
    case C::Float:
      element = TArkIecTypeFloatQDS(value, 0).AsOctets().substr(0, 4);
      break;
  }
  if (format.quality) element += static_cast<char>(qds);
  element += time.AsOctets().substr(0, static_cast<size_t>(TagSize(format.tag)));
  return element;
}

std::string Cp56Text(const TArkIecTypeTime& time) {
  char text[48];
  std::snprintf(text, sizeof text, "%.4d-%.2d-%.2d %.2d:%.2d:%.2d.%.3d%s", 2000 + time.Year(),
                time.Month(), time.Day(), time.Hour(), time.Minute(), time.Milliseconds() / 1000,
                time.Milliseconds() % 1000, time.Invalid() ? " IV" : "");
  return text;
}

std::string Cp24Text(const TArkIecTypeTime& time) {
  char text[24];
  std::snprintf(text, sizeof text, "%.2d:%.2d.%.3d%s", time.Minute(), time.Milliseconds() / 1000,
                time.Milliseconds() % 1000, time.Invalid() ? " IV" : "");
  return text;
}

}  // namespace vela
