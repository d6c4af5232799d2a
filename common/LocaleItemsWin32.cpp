#include <windows.h>

#include "common/LocaleItems.h"
#include "common/Win32Text.h"

namespace vela {
namespace {

// "ru_RU.UTF-8" → "ru-RU": Windows names a locale by its language tag.
std::wstring WindowsLocaleName(const std::string& name) {
  std::string tag = name.substr(0, name.find_first_of(".@"));
  for (char& c : tag) {
    if (c == '_') c = '-';
  }
  return win32::Widen(tag);
}

// A Windows picture ("dd.MM.yyyy", "H:mm:ss", "h:mm:ss tt") in strftime's
// conversions; text in quotes is kept as it is.
std::string PictureToFormat(const std::string& picture) {
  std::string out;
  for (size_t i = 0; i < picture.size();) {
    const char c = picture[i];
    size_t run = 1;
    while (i + run < picture.size() && picture[i + run] == c) ++run;
    if (c == '\'') {
      const size_t end = picture.find('\'', i + 1);
      out += picture.substr(i + 1, (end == std::string::npos ? picture.size() : end) - i - 1);
      i = end == std::string::npos ? picture.size() : end + 1;
      continue;
    }
    switch (c) {
      case 'd':
        out += run <= 2 ? "%d" : "%a";
        break;
      case 'M':
        out += run <= 2 ? "%m" : "%b";
        break;
      case 'y':
        out += run <= 2 ? "%y" : "%Y";
        break;
      case 'H':
        out += "%H";
        break;
      case 'h':
        out += "%I";
        break;
      case 'm':
        out += "%M";
        break;
      case 's':
        out += "%S";
        break;
      case 't':
        out += "%p";
        break;
      default:
        out.append(run, c);
    }
    i += run;
  }
  return out;
}

}  // namespace

// The "C" locale keeps the C library's formats; any other name is Windows'.
struct TLocaleItems::TData {
  bool c = false;
  bool available = false;
  std::wstring name;

  std::string Info(LCTYPE type) const {
    wchar_t buffer[128] = {};
    const int length = GetLocaleInfoEx(name.c_str(), type, buffer, 128);
    return length > 1 ? win32::Narrow(buffer, static_cast<size_t>(length - 1)) : std::string();
  }
};

TLocaleItems::TLocaleItems(TLocaleCategory, const std::string& name)
    : data_(std::make_unique<TData>()) {
  data_->c = name.empty() || name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
  data_->name = WindowsLocaleName(name);
  data_->available = data_->c || IsValidLocaleName(data_->name.c_str());
}

TLocaleItems::~TLocaleItems() = default;

bool TLocaleItems::Available() const {
  return data_->available;
}

std::string TLocaleItems::Radix() const {
  return data_->c ? "." : data_->Info(LOCALE_SDECIMAL);
}

std::string TLocaleItems::DateFormat() const {
  return data_->c ? "%m/%d/%y" : PictureToFormat(data_->Info(LOCALE_SSHORTDATE));
}

std::string TLocaleItems::TimeFormat() const {
  return data_->c ? "%H:%M:%S" : PictureToFormat(data_->Info(LOCALE_STIMEFORMAT));
}

std::string UserLocaleName(TLocaleCategory) {
  wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
  const int length = GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
  return length > 1 ? win32::Narrow(name, static_cast<size_t>(length - 1)) : "C";
}

}  // namespace vela
