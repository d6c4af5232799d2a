#pragma once
// The wall-clock time in the user's time zone, as the system keeps it.

#include "common/ArkTypes.h"

namespace vela {

struct TLocalTime {
  TDateTime local = 0;       // milliseconds included
  int utcOffsetMinutes = 0;  // local time minus UTC
};

TLocalTime LocalTimeNow();
TDateTime LocalDateTimeNow();  // LocalTimeNow().local

}  // namespace vela
