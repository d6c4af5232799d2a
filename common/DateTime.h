#pragma once
// Calendar arithmetic on TDateTime (days since 30.12.1899, fraction = time of day).

#include <string>

#include "common/ArkTypes.h"

namespace vela {

struct DateTimeParts {
  int year = 1899, month = 12, day = 30;
  int hour = 0, minute = 0, second = 0, millisecond = 0;
};

TDateTime EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
                         int millisecond = 0);
// Rounds to the nearest millisecond first, so 12:00:00.9999 is 12:00:01.000.
DateTimeParts DecodeDateTime(TDateTime t);
// "HH:MM:SS", as the activity log states when something happened.
std::string TimeOfDayText(TDateTime t);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

}  // namespace vela
