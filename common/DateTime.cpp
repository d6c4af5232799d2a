#include "common/DateTime.h"

#include <cmath>
#include <cstdint>
#include <cstdio>

namespace vela {
namespace {

// Days from 01.01.0001 (proleptic Gregorian) to the given date, 0-based.
int64_t DaysFromCivil(int year, int month, int day) {
  const int64_t y = year - (month <= 2 ? 1 : 0);
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const int64_t yoe = y - era * 400;
  const int64_t mp = (month + 9) % 12;
  const int64_t doy = (153 * mp + 2) / 5 + day - 1;
  const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;  // days since 01.01.1970
}

void CivilFromDays(int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const int64_t doe = z - era * 146097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(yoe + era * 400 + (month <= 2 ? 1 : 0));
}

const int64_t kEpoch1899 = DaysFromCivil(1899, 12, 30);

}  // namespace

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static const int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  return (month == 2 && IsLeapYear(year)) ? 29 : kDays[month - 1];
}

TDateTime EncodeDateTime(int year, int month, int day, int hour, int minute, int second,
                         int millisecond) {
  const double days = static_cast<double>(DaysFromCivil(year, month, day) - kEpoch1899);
  const double ms = ((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + millisecond;
  return days + ms / 86400000.0;
}

DateTimeParts DecodeDateTime(TDateTime t) {
  const int64_t totalMs = std::llround(t * 86400000.0);
  int64_t days = totalMs / 86400000;
  int64_t msOfDay = totalMs % 86400000;
  if (msOfDay < 0) {
    msOfDay += 86400000;
    --days;
  }
  DateTimeParts parts;
  CivilFromDays(days + kEpoch1899, parts.year, parts.month, parts.day);
  parts.millisecond = static_cast<int>(msOfDay % 1000);
  parts.second = static_cast<int>(msOfDay / 1000 % 60);
  parts.minute = static_cast<int>(msOfDay / 60000 % 60);
  parts.hour = static_cast<int>(msOfDay / 3600000);
  return parts;
}

std::string TimeOfDayText(TDateTime t) {
  const DateTimeParts p = DecodeDateTime(t);
  char text[16];
  std::snprintf(text, sizeof text, "%.2d:%.2d:%.2d", p.hour, p.minute, p.second);
  return text;
}

}  // namespace vela
