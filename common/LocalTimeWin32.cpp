#include <windows.h>

#include "common/DateTime.h"
#include "common/LocalTime.h"

namespace vela {

// The time zone and its daylight rule are Windows' own settings.
TDateTime LocalDateTimeNow() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  return EncodeDateTime(local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute,
                        local.wSecond, local.wMilliseconds);
}

}  // namespace vela
