#pragma once
// The system's regional data of one locale: the decimal separator, the short
// date format and the time format, the formats written with strftime's
// conversions ("%d.%m.%Y", "%H:%M:%S"). Linux takes them from the C library's
// locales; Windows from its own regional settings.

#include <memory>
#include <string>

namespace vela {

enum class TLocaleCategory { Numeric, Time };

class TLocaleItems {
 public:
  // A name such as "ru_RU.UTF-8", "de_DE" or "C" (Windows also takes "ru-RU").
  TLocaleItems(TLocaleCategory category, const std::string& name);
  ~TLocaleItems();
  TLocaleItems(const TLocaleItems&) = delete;
  TLocaleItems& operator=(const TLocaleItems&) = delete;

  bool Available() const;
  std::string Radix() const;
  std::string DateFormat() const;
  std::string TimeFormat() const;

 private:
  struct TData;
  std::unique_ptr<TData> data_;
};

// The locale the user chose for the category: on Linux from LC_ALL, then
// LC_NUMERIC or LC_TIME, then LANG ("C" when none is set); on Windows the
// user's regional settings.
std::string UserLocaleName(TLocaleCategory category);

}  // namespace vela
