#include "display/RegionalSettings.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <optional>

#include "common/DateTime.h"

namespace vela {
namespace {

struct TLocaleName {
  std::string Language;   // "ru"
  std::string Territory;  // "RU"
};

TLocaleName ParseLocaleName(const std::string& name) {
  const std::string base = name.substr(0, name.find_first_of(".@"));
  const size_t underscore = base.find('_');
  if (underscore == std::string::npos) return {base, ""};
  return {base.substr(0, underscore), base.substr(underscore + 1)};
}

bool IsOneOf(const std::string& text, std::initializer_list<const char*> items) {
  for (const char* item : items) {
    if (text == item) return true;
  }
  return false;
}

char DecimalSeparatorOf(const TLocaleName& locale) {
  if (locale.Language == "de" && locale.Territory == "CH") return '.';
  const bool comma =
      IsOneOf(locale.Language,
              {"ru", "uk", "be", "kk", "uz", "ky", "tg", "az", "hy", "ka", "de", "fr", "es", "it",
               "pt", "nl", "pl", "cs", "sk", "sl", "hr", "sr", "bs", "bg", "mk", "ro", "hu", "sv",
               "fi", "da", "nb", "nn", "no", "is", "tr", "el", "lt", "lv", "et", "sq", "id", "vi"});
  return comma ? ',' : '.';
}

void SetDateFormat(const TLocaleName& locale, TRegionalSettings& settings) {
  const std::string& lang = locale.Language;
  if (lang.empty() || lang == "C" || lang == "POSIX") {
    settings.DateOrder = TDateOrder::MonthDayYear;
    settings.DateSeparator = '/';
    settings.TwoDigitYear = true;
  } else if (IsOneOf(lang, {"ru", "uk", "be", "kk", "uz", "ky", "tg", "az", "hy", "ka", "de",
                            "pl", "cs", "sk", "sl", "hr", "sr", "bs", "bg", "mk", "ro", "fi",
                            "da", "nb", "nn", "no", "is", "tr", "lv", "et", "sq"})) {
    settings.DateOrder = TDateOrder::DayMonthYear;
    settings.DateSeparator = '.';
  } else if (IsOneOf(lang, {"sv", "lt", "hu", "zh", "ja", "ko"})) {
    settings.DateOrder = TDateOrder::YearMonthDay;
    settings.DateSeparator = '-';
  } else if (lang == "en" && IsOneOf(locale.Territory, {"US", "PH", ""})) {
    settings.DateOrder = TDateOrder::MonthDayYear;
    settings.DateSeparator = '/';
    settings.TwelveHourClock = locale.Territory == "US";
  } else {
    settings.DateOrder = TDateOrder::DayMonthYear;
    settings.DateSeparator = '/';
  }
}

// The first of the variables that is set and not empty.
std::string LocaleVariable(std::initializer_list<const char*> names) {
  for (const char* name : names) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

int DecimalsOfFormat(const std::string& format) {
  if (format.size() == 4 && format[0] == '%' && format[1] == '.' && format[3] == 'f' &&
      format[2] >= '0' && format[2] <= '9') {
    return format[2] - '0';
  }
  return 2;
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
  settings.DecimalSeparator = DecimalSeparatorOf(ParseLocaleName(numericLocale));
  SetDateFormat(ParseLocaleName(timeLocale), settings);
  return settings;
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
  const DateTimeParts p = DecodeDateTime(t);
  const std::string year = regional.TwoDigitYear ? TwoDigits(p.year % 100) : std::to_string(p.year);
  const std::string sep(1, regional.DateSeparator);
  std::string date;
  switch (regional.DateOrder) {
    case TDateOrder::DayMonthYear:
      date = TwoDigits(p.day) + sep + TwoDigits(p.month) + sep + year;
      break;
    case TDateOrder::MonthDayYear:
      date = TwoDigits(p.month) + sep + TwoDigits(p.day) + sep + year;
      break;
    case TDateOrder::YearMonthDay:
      date = year + sep + TwoDigits(p.month) + sep + TwoDigits(p.day);
      break;
  }
  const std::string minutesSeconds = ":" + TwoDigits(p.minute) + ":" + TwoDigits(p.second);
  if (!regional.TwelveHourClock) return date + " " + TwoDigits(p.hour) + minutesSeconds;
  const int hour12 = p.hour % 12 == 0 ? 12 : p.hour % 12;
  return date + " " + TwoDigits(hour12) + minutesSeconds + (p.hour < 12 ? " AM" : " PM");
}

}  // namespace vela
