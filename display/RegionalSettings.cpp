#include "display/RegionalSettings.h"

#include <charconv>
#include <cmath>
#include <optional>
#include <utility>

#include "common/DateTime.h"
#include "common/LocaleItems.h"

namespace vela {
namespace {

// Expands the composite conversions of a date or time format ("%D", "%r" ...)
// into their fields; "%E" and "%O" modifiers are dropped.
std::string ExpandFormat(const std::string& format) {
  std::string out;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 >= format.size()) {
      out += format[i];
      continue;
    }
    char c = format[++i];
    if ((c == 'E' || c == 'O') && i + 1 < format.size()) c = format[++i];
    switch (c) {
      case 'D':
        out += "%m/%d/%y";
        break;
      case 'F':
        out += "%Y-%m-%d";
        break;
      case 'T':
        out += "%H:%M:%S";
        break;
      case 'R':
        out += "%H:%M";
        break;
      case 'r':
        out += "%I:%M:%S %p";
        break;
      default:
        out += '%';
        out += c;
    }
  }
  return out;
}

// Order, separator and year width of a short-date format such as "%d.%m.%Y".
void SetDateFormat(const std::string& dateFormat, TRegionalSettings& settings) {
  const std::string format = ExpandFormat(dateFormat);
  std::string order;  // 'd', 'm', 'y' as they come
  bool separatorSeen = false;
  for (size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size()) {
      const char c = format[++i];
      if (c == 'd' || c == 'e') order += 'd';
      if (c == 'm') order += 'm';
      if (c == 'Y' || c == 'y') order += 'y';
      if (c == 'y') settings.TwoDigitYear = true;
    } else if (!order.empty() && !separatorSeen && format[i] != ' ') {
      settings.DateSeparator = format[i];
      separatorSeen = true;
    }
  }
  if (order == "dmy") settings.DateOrder = TDateOrder::DayMonthYear;
  if (order == "mdy") settings.DateOrder = TDateOrder::MonthDayYear;
  if (order == "ymd") settings.DateOrder = TDateOrder::YearMonthDay;
}

std::string TwoDigits(int value) {
  return std::string{static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

std::optional<TRegionalSettings>& CurrentStore() {
  static std::optional<TRegionalSettings> current;
  return current;
}

}  // namespace

TRegionalSettings RegionalSettingsOfLocale(const std::string& numericLocale,
                                           const std::string& timeLocale) {
  TRegionalSettings settings;
  const TLocaleItems numeric(TLocaleCategory::Numeric,
                             LocaleInstalled(numericLocale) ? numericLocale : "C");
  const std::string radix = numeric.Radix();
  // A separator of more than one octet (none in glibc's data) stays '.'.
  settings.DecimalSeparator = radix.size() == 1 ? radix[0] : '.';
  const TLocaleItems time(TLocaleCategory::Time, LocaleInstalled(timeLocale) ? timeLocale : "C");
  SetDateFormat(time.DateFormat(), settings);
  const std::string timeFormat = ExpandFormat(time.TimeFormat());
  settings.TwelveHourClock =
      timeFormat.find("%I") != std::string::npos || timeFormat.find("%l") != std::string::npos;
  return settings;
}

bool LocaleInstalled(const std::string& name) {
  return TLocaleItems(TLocaleCategory::Numeric, name).Available() &&
         TLocaleItems(TLocaleCategory::Time, name).Available();
}

TRegionalSettings RegionalSettingsFromEnvironment() {
  return RegionalSettingsOfLocale(UserLocaleName(TLocaleCategory::Numeric),
                                  UserLocaleName(TLocaleCategory::Time));
}

const TRegionalSettings& CurrentRegionalSettings() {
  auto& current = CurrentStore();
  if (!current) current = RegionalSettingsFromEnvironment();
  return *current;
}

void SetCurrentRegionalSettings(const TRegionalSettings& settings) {
  CurrentStore() = settings;
}

int DecimalsOfFormat(const std::string& format) {
  if (format.size() == 4 && format[0] == '%' && format[1] == '.' && format[3] == 'f' &&
      format[2] >= '0' && format[2] <= '9') {
    return format[2] - '0';
  }
  return 2;
}

std::string FormatFixed(double value, const std::string& format,
                        const TRegionalSettings& regional) {
  if (std::isnan(value)) return "nan";
  if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
  char buffer[400];  // the largest double has 309 integer digits
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                                    DecimalsOfFormat(format));
  std::string text(buffer, result.ptr);
  const size_t point = text.find('.');
  if (point != std::string::npos) text[point] = regional.DecimalSeparator;
  return text;
}

std::string FormatFixed(double value, const std::string& format) {
  return FormatFixed(value, format, CurrentRegionalSettings());
}

std::string FormatDateTime(TDateTime t, const TRegionalSettings& regional) {
  // Appended piece by piece: GCC 12 at -O3 warns falsely about chains of "+".
  const DateTimeParts p = DecodeDateTime(t);
  std::string text;
  const auto appendYear = [&] {
    if (regional.TwoDigitYear) {
      text += TwoDigits(p.year % 100);
    } else {
      text += std::to_string(p.year);
    }
  };
  const int fields[3][2] = {{p.day, p.month}, {p.month, p.day}, {p.month, p.day}};
  const int* dayMonth = fields[static_cast<int>(regional.DateOrder)];
  if (regional.DateOrder == TDateOrder::YearMonthDay) {
    appendYear();
    text += regional.DateSeparator;
  }
  text += TwoDigits(dayMonth[0]);
  text += regional.DateSeparator;
  text += TwoDigits(dayMonth[1]);
  if (regional.DateOrder != TDateOrder::YearMonthDay) {
    text += regional.DateSeparator;
    appendYear();
  }
  const int hour = regional.TwelveHourClock && p.hour % 12 == 0 ? 12
                   : regional.TwelveHourClock                   ? p.hour % 12
                                                                : p.hour;
  text += ' ';
  text += TwoDigits(hour);
  text += ':';
  text += TwoDigits(p.minute);
  text += ':';
  text += TwoDigits(p.second);
  if (regional.TwelveHourClock) text += p.hour < 12 ? " AM" : " PM";
  return text;
}

}  // namespace vela
