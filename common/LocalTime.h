#pragma once
// The wall-clock time in the user's time zone, as the system keeps it.

#include "common/ArkTypes.h"

namespace vela {

TDateTime LocalDateTimeNow();

}  // namespace vela
