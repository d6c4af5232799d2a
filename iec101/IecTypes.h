#pragma once
// The information elements of IEC 60870-5-101 / IEC 60870-5-4 that the
// program reads or writes: the quality descriptor QDS, the short floating
// point value with QDS, and the seven-octet binary time CP56Time2a.

#include <array>
#include <cstdint>
#include <string>

#include "common/ArkTypes.h"

namespace vela {

class TArkIecTypeQDS {
 public:
  explicit TArkIecTypeQDS(uint8_t qds = 0) : qds_(qds) {}
  uint8_t Qds() const { return qds_; }
  bool Overflow() const;     // OV, bit 0
  bool Blocked() const;      // BL, bit 4
  bool Substituted() const;  // SB, bit 5
  bool NotTopical() const;   // NT, bit 6
  bool Invalid() const;      // IV, bit 7

 protected:
  uint8_t qds_;
};

// Element of M_ME_NC_1 and M_ME_TC_1: an IEEE 754 single, least significant
// octet first, then the QDS. NaN and infinities are kept as received.
class TArkIecTypeFloatQDS : public TArkIecTypeQDS {
 public:
  static constexpr int kSize = 5;
  explicit TArkIecTypeFloatQDS(const std::array<uint8_t, kSize>& octets);
  TArkIecTypeFloatQDS(float value, uint8_t qds);
  float Value() const { return value_; }
  Octets AsOctets() const;

 private:
  float value_;
};

// CP56Time2a: milliseconds within the minute (16 bits, least significant
// first), minute + IV, hour + SU, day + day of week, month, two-digit year.
// Each setter masks its argument to the field and keeps the other bits.
class TArkIecTypeTime {
 public:
  static constexpr int kSize = 7;
  TArkIecTypeTime() = default;  // all seven octets 0
  explicit TArkIecTypeTime(const std::array<uint8_t, kSize>& octets) : octets_(octets) {}

  uint16_t Milliseconds() const;
  void SetMilliseconds(uint32_t ms);
  uint8_t Minute() const;
  void SetMinute(uint32_t minute);
  bool Invalid() const;  // IV
  void SetInvalid(bool invalid);
  uint8_t Hour() const;
  void SetHour(uint32_t hour);
  uint8_t Day() const;
  void SetDay(uint32_t day);
  uint8_t Month() const;
  void SetMonth(uint32_t month);
  uint8_t Year() const;  // 0..127, years since 2000
  void SetYear(uint32_t year);

  Octets AsOctets() const;

  // Stores year (year - 2000 mod 128), month, day, hour, minute and
  // milliseconds of the local date-time; day of week, SU and IV stay.
  void FillFrom(TDateTime localTime);
  // "нет" when IV is set, else "DD.MM.YYYY hh:mm:ss" (the milliseconds
  // remainder dropped).
  std::string ClockText() const;

 private:
  void StoreMasked(int index, uint32_t value, uint8_t mask);
  std::array<uint8_t, kSize> octets_{};
};

}  // namespace vela
