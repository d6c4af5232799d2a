#include "common/ArkCmnUtils.h"

#include <cmath>
#include <cstdio>

namespace vela {
namespace {
const char kHexDigits[] = "0123456789ABCDEF";
}

uint32_t SetBit(uint32_t value, int index, uint32_t bit) {
  const unsigned shift = static_cast<unsigned>(index) % 32;
  return (value & ~(1u << shift)) | ((bit & 1u) << shift);
}

uint32_t GetBit(uint32_t value, int index) {
  return (value >> (static_cast<unsigned>(index) % 32)) & 1u;
}

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  return (static_cast<unsigned char>(c) - 55) & 15;
}

std::string BytesToHex(const void* data, int count) {
  const auto* octets = static_cast<const uint8_t*>(data);
  std::string text;
  if (count <= 0) return text;
  text.reserve(static_cast<size_t>(count) * 2);
  for (int i = 0; i < count; ++i) {
    text += kHexDigits[octets[i] >> 4];
    text += kHexDigits[octets[i] & 15];
  }
  return text;
}

std::string BytesToHex(const Octets& octets) {
  return BytesToHex(octets.data(), static_cast<int>(octets.size()));
}

std::string BytesToHexReversed(const void* data, int count) {
  const auto* octets = static_cast<const uint8_t*>(data);
  std::string text;
  if (count <= 0) return text;
  text.reserve(static_cast<size_t>(count) * 2);
  for (int i = count - 1; i >= 0; --i) {
    text += kHexDigits[octets[i] >> 4];
    text += kHexDigits[octets[i] & 15];
  }
  return text;
}

std::string BytesToHexReversed(const Octets& octets) {
  return BytesToHexReversed(octets.data(), static_cast<int>(octets.size()));
}

Octets HexToBytes(const std::string& text) {
  Octets octets(text.size() / 2, '\0');
  for (size_t i = 0; i < octets.size(); ++i) {
    octets[i] = static_cast<char>(HexDigitValue(text[2 * i]) * 16 + HexDigitValue(text[2 * i + 1]));
  }
  return octets;
}

std::string SecondsToText(uint32_t seconds) {
  uint32_t days = seconds / 86400;
  uint32_t rest = seconds % 86400;
  int year = 2000;
  // Whole centuries: the first (from 2000) has 36525 days, the others 36524.
  for (uint32_t century = 36525; days >= century; century = 36524) {
    days -= century;
    year += 100;
  }
  // Whole years; leap years by the Gregorian rule.
  for (;;) {
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    const uint32_t length = leap ? 366 : 365;
    if (days < length) break;
    days -= length;
    ++year;
  }
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  static const uint32_t kMonthDays[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int month = 1;
  for (;; ++month) {
    const uint32_t length = (month == 2 && !leap) ? 28 : kMonthDays[month - 1];
    if (days < length) break;
    days -= length;
  }
  char text[64];
  std::snprintf(text, sizeof text, "%.2d.%.2d.%.4d %.2d:%.2d:%.2d", static_cast<int>(days + 1),
                month, year, static_cast<int>(rest / 3600), static_cast<int>(rest / 60 % 60),
                static_cast<int>(rest % 60));
  return text;
}

uint32_t DateTimeToSeconds(TDateTime t) {
  // nearbyint rounds halves to the even neighbour in the default mode.
  const double seconds = std::nearbyint((t - 36526.0) * 86400.0);
  // Outside the 64-bit range (or NaN) the conversion would be undefined; such
  // a date-time cannot come from a clock, so it gives 0.
  if (!(seconds > -9.2e18 && seconds < 9.2e18)) return 0;
  return static_cast<uint32_t>(static_cast<int64_t>(seconds));
}

}  // namespace vela
