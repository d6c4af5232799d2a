#include "display/RegionalSettings.h"

#include <langinfo.h>
#include <locale.h>

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <utility>

#include "common/DateTime.h"

namespace vela {
namespace {

// The C library's data of one locale category; null when the locale is not
// installed. A name without the installed codeset ("ru_RU", "de_DE@euro")
// is tried again as UTF-8: the codeset does not change the formats.
class TLocaleData {
 public:
  TLocaleData(int categoryMask, const std::string& name) {
    const std::string wanted = name.empty() ? "C" : name;
    locale_ = ::newlocale(categoryMask, wanted.c_str(), nullptr);
    if (locale_ == nullptr) {
      const std::string base = wanted.substr(0, wanted.find_first_of(".@"));
      locale_ = ::newlocale(categoryMask, (base + ".UTF-8").c_str(), nullptr);
    }
  }
  ~TLocaleData() {
    if (locale_ != nullptr) ::freelocale(locale_);
  }
  TLocaleData(const TLocaleData&) = delete;
  TLocaleData& operator=(TLocaleData&& other) noexcept {
    std::swap(locale_, other.locale_);
    return *this;
  }

  bool Available() const { return locale_ != nullptr; }
  std::string Item(nl_item item) const {
    return locale_ != nullptr ? ::nl_langinfo_l(item, locale_) : "";
  }

 private:
  locale_t locale_ = nullptr;
};

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

// The first of the variables that is set and not empty.
std::string LocaleVariable(std::initializer_list<const char*> names) {
  for (const char* name : names) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
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
  TLocaleData numeric(LC_NUMERIC_MASK, numericLocale);
  if (!numeric.Available()) numeric = TLocaleData(LC_NUMERIC_MASK, "C");
  const std::string radix = numeric.Item(RADIXCHAR);
  // A separator of more than one octet (none in glibc's data) stays '.'.
  settings.DecimalSeparator = radix.size() == 1 ? radix[0] : '.';
  TLocaleData time(LC_TIME_MASK, timeLocale);
  if (!time.Available()) time = TLocaleData(LC_TIME_MASK, "C");
  SetDateFormat(time.Item(D_FMT), settings);
  const std::string timeFormat = ExpandFormat(time.Item(T_FMT));
  settings.TwelveHourClock =
      timeFormat.find("%I") != std::string::npos || timeFormat.find("%l") != std::string::npos;
  return settings;
}

bool LocaleInstalled(const std::string& name) {
  return TLocaleData(LC_ALL_MASK, name).Available();
}

TRegionalSettings RegionalSettingsFromEnvironment() {
  return RegionalSettingsOfLocale(LocaleVariable({"LC_ALL", "LC_NUMERIC", "LANG"}),
                                  LocaleVariable({"LC_ALL", "LC_TIME", "LANG"}));
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
