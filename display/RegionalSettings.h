#pragma once
// The user's regional number, date and time formats, taken from the locale
// variables of the environment (LC_ALL, then LC_NUMERIC or LC_TIME, then LANG)
// and the C library's data of that locale: the radix character, the short
// date format (D_FMT) and the time format (T_FMT). A locale that is not
// installed gives the formats of "C". On Windows the user's regional settings
// take the place of the environment's variables.

#include <string>

#include "common/ArkTypes.h"

namespace vela {

enum class TDateOrder { DayMonthYear, MonthDayYear, YearMonthDay };

struct TRegionalSettings {
  char DecimalSeparator = '.';
  TDateOrder DateOrder = TDateOrder::MonthDayYear;
  char DateSeparator = '/';
  bool TwoDigitYear = false;
  bool TwelveHourClock = false;  // "hh:mm:ss AM" instead of "HH:mm:ss"

  bool operator==(const TRegionalSettings&) const = default;
};

// Formats of one locale name such as "ru_RU.UTF-8", "de_DE", "C".
TRegionalSettings RegionalSettingsOfLocale(const std::string& numericLocale,
                                           const std::string& timeLocale);
// Whether the C library has the locale (a name without its codeset counts
// when the UTF-8 form is there).
bool LocaleInstalled(const std::string& name);
// Formats of the current environment.
TRegionalSettings RegionalSettingsFromEnvironment();

// The settings the display uses; read from the environment on first use.
const TRegionalSettings& CurrentRegionalSettings();
void SetCurrentRegionalSettings(const TRegionalSettings& settings);

// Value formatted with a fixed-point format "%.Nf" (N = 0..9; anything else
// is taken as "%.2f"), with the regional decimal separator. Infinity and NaN
// give "inf", "-inf" and "nan".
std::string FormatFixed(double value, const std::string& format, const TRegionalSettings& regional);
// N of such a format (2 for anything else).
int DecimalsOfFormat(const std::string& format);
std::string FormatFixed(double value, const std::string& format);

// Short date, a blank and long time of a date-time, e.g. "07.12.2026 21:05:09".
std::string FormatDateTime(TDateTime t, const TRegionalSettings& regional);

}  // namespace vela
