#include "iec101/IecTypes.h"

#include <cstdio>
#include <cstring>

#include "common/ArkCmnUtils.h"
#include "common/DateTime.h"

namespace vela {

bool TArkIecTypeQDS::Overflow() const {
  return GetBit(qds_, 0) != 0;
}
bool TArkIecTypeQDS::Blocked() const {
  return GetBit(qds_, 4) != 0;
}
bool TArkIecTypeQDS::Substituted() const {
  return GetBit(qds_, 5) != 0;
}
bool TArkIecTypeQDS::NotTopical() const {
  return GetBit(qds_, 6) != 0;
}
bool TArkIecTypeQDS::Invalid() const {
  return GetBit(qds_, 7) != 0;
}

TArkIecTypeFloatQDS::TArkIecTypeFloatQDS(const std::array<uint8_t, kSize>& octets)
    : TArkIecTypeQDS(octets[4]) {
  const uint32_t bits =
      octets[0] | (octets[1] << 8) | (octets[2] << 16) | (static_cast<uint32_t>(octets[3]) << 24);
  std::memcpy(&value_, &bits, sizeof value_);
}

TArkIecTypeFloatQDS::TArkIecTypeFloatQDS(float value, uint8_t qds)
    : TArkIecTypeQDS(qds), value_(value) {}

Octets TArkIecTypeFloatQDS::AsOctets() const {
  uint32_t bits = 0;
  std::memcpy(&bits, &value_, sizeof bits);
  Octets out;
  for (int i = 0; i < 4; ++i) out += static_cast<char>(bits >> (8 * i));
  out += static_cast<char>(qds_);
  return out;
}

namespace {
constexpr int kMinuteOctet = 2, kHourOctet = 3, kDayOctet = 4, kMonthOctet = 5, kYearOctet = 6;
constexpr int kInvalidBit = 7;
}  // namespace

void TArkIecTypeTime::StoreMasked(int index, uint32_t value, uint8_t mask) {
  octets_[index] = static_cast<uint8_t>((octets_[index] & ~mask) | (value & mask));
}

uint16_t TArkIecTypeTime::Milliseconds() const {
  return static_cast<uint16_t>(octets_[0] | (octets_[1] << 8));
}
void TArkIecTypeTime::SetMilliseconds(uint32_t ms) {
  octets_[0] = static_cast<uint8_t>(ms);
  octets_[1] = static_cast<uint8_t>(ms >> 8);
}

uint8_t TArkIecTypeTime::Minute() const {
  return octets_[kMinuteOctet] & 0x3F;
}
void TArkIecTypeTime::SetMinute(uint32_t minute) {
  StoreMasked(kMinuteOctet, minute, 0x3F);
}

bool TArkIecTypeTime::Invalid() const {
  return GetBit(octets_[kMinuteOctet], kInvalidBit) != 0;
}
void TArkIecTypeTime::SetInvalid(bool invalid) {
  octets_[kMinuteOctet] =
      static_cast<uint8_t>(SetBit(octets_[kMinuteOctet], kInvalidBit, invalid ? 1 : 0));
}

uint8_t TArkIecTypeTime::Hour() const {
  return octets_[kHourOctet] & 0x1F;
}
void TArkIecTypeTime::SetHour(uint32_t hour) {
  StoreMasked(kHourOctet, hour, 0x1F);
}

uint8_t TArkIecTypeTime::Day() const {
  return octets_[kDayOctet] & 0x1F;
}
void TArkIecTypeTime::SetDay(uint32_t day) {
  StoreMasked(kDayOctet, day, 0x1F);
}

uint8_t TArkIecTypeTime::Month() const {
  return octets_[kMonthOctet] & 0x0F;
}
void TArkIecTypeTime::SetMonth(uint32_t month) {
  StoreMasked(kMonthOctet, month, 0x0F);
}

uint8_t TArkIecTypeTime::Year() const {
  return octets_[kYearOctet] & 0x7F;
}
void TArkIecTypeTime::SetYear(uint32_t year) {
  StoreMasked(kYearOctet, year, 0x7F);
}

Octets TArkIecTypeTime::AsOctets() const {
  return Octets(reinterpret_cast<const char*>(octets_.data()), octets_.size());
}

void TArkIecTypeTime::FillFrom(TDateTime localTime) {
  const DateTimeParts p = DecodeDateTime(localTime);
  SetYear(static_cast<uint32_t>(((p.year - 2000) % 128 + 128) % 128));
  SetMonth(static_cast<uint32_t>(p.month));
  SetDay(static_cast<uint32_t>(p.day));
  SetHour(static_cast<uint32_t>(p.hour));
  SetMinute(static_cast<uint32_t>(p.minute));
  SetMilliseconds(static_cast<uint32_t>(p.second * 1000 + p.millisecond));
}

std::string TArkIecTypeTime::ClockText() const {
  if (Invalid()) return "нет";
  char text[48];
  std::snprintf(text, sizeof text, "%.2d.%.2d.%.4d %.2d:%.2d:%.2d", Day(), Month(), 2000 + Year(),
                Hour(), Minute(), Milliseconds() / 1000);
  return text;
}

}  // namespace vela
