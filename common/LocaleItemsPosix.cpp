#include <langinfo.h>
#include <locale.h>

#include <cstdlib>
#include <initializer_list>

#include "common/LocaleItems.h"

namespace vela {

// The C library's data of the category; null when the locale is not
// installed. A name without the installed codeset ("ru_RU", "de_DE@euro")
// is tried again as UTF-8: the codeset does not change the formats.
struct TLocaleItems::TData {
  locale_t locale = nullptr;
  std::string Item(nl_item item) const { return locale ? ::nl_langinfo_l(item, locale) : ""; }
};

TLocaleItems::TLocaleItems(TLocaleCategory category, const std::string& name)
    : data_(std::make_unique<TData>()) {
  const int mask = category == TLocaleCategory::Numeric ? LC_NUMERIC_MASK : LC_TIME_MASK;
  const std::string wanted = name.empty() ? "C" : name;
  data_->locale = ::newlocale(mask, wanted.c_str(), nullptr);
  if (data_->locale == nullptr) {
    const std::string base = wanted.substr(0, wanted.find_first_of(".@"));
    data_->locale = ::newlocale(mask, (base + ".UTF-8").c_str(), nullptr);
  }
}

TLocaleItems::~TLocaleItems() {
  if (data_->locale != nullptr) ::freelocale(data_->locale);
}

bool TLocaleItems::Available() const {
  return data_->locale != nullptr;
}

std::string TLocaleItems::Radix() const {
  return data_->Item(RADIXCHAR);
}

std::string TLocaleItems::DateFormat() const {
  return data_->Item(D_FMT);
}

std::string TLocaleItems::TimeFormat() const {
  return data_->Item(T_FMT);
}

std::string UserLocaleName(TLocaleCategory category) {
  const char* own = category == TLocaleCategory::Numeric ? "LC_NUMERIC" : "LC_TIME";
  for (const char* name : {"LC_ALL", own, "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

}  // namespace vela
