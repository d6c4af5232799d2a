#include <windows.h>

#include "common/DateTime.h"
#include "common/LocalTime.h"

namespace vela {
namespace {

int64_t Ticks(const SYSTEMTIME& time) {  // 100 ns since 1601
  FILETIME file{};
  SystemTimeToFileTime(&time, &file);
  return (static_cast<int64_t>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

}  // namespace

// The time zone and its daylight rule are Windows' own settings; local time
// and offset come from one reading of the clock.
TLocalTime LocalTimeNow() {
  SYSTEMTIME utc{};
  GetSystemTime(&utc);
  SYSTEMTIME local = utc;
  SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
  const int64_t offsetTicks = Ticks(local) - Ticks(utc);
  const int64_t minute = 600000000;
  const int64_t offset = (offsetTicks + (offsetTicks >= 0 ? minute / 2 : -minute / 2)) / minute;
  return {EncodeDateTime(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
                         local.wSecond, local.wMilliseconds),
          static_cast<int>(offset)};
}

TDateTime LocalDateTimeNow() {
  return LocalTimeNow().local;
}

}  // namespace vela
