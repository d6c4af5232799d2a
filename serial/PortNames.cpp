#include "serial/PortNames.h"

#include <algorithm>
#include <cctype>
#include <charconv>

namespace vela {
namespace {

bool HasComPrefixAnyCase(const std::string& name) {
  return name.size() >= 4 && std::toupper(static_cast<unsigned char>(name[0])) == 'C' &&
         std::toupper(static_cast<unsigned char>(name[1])) == 'O' &&
         std::toupper(static_cast<unsigned char>(name[2])) == 'M';
}

}  // namespace

std::optional<int> WholeNumber(std::string_view text) {
  if (text.empty() || !std::isdigit(static_cast<unsigned char>(text.front()))) return std::nullopt;
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
  return value;
}

int ComPortNumber(const std::string& name) {
  if (name.size() < 4 || name.compare(0, 3, "COM") != 0) return -1;
  return WholeNumber(std::string_view(name).substr(3)).value_or(-1);
}

std::string ComPortName(int number) {
  return "COM" + std::to_string(number);
}

int CompareComPortNames(const std::string& a, const std::string& b) {
  if (!HasComPrefixAnyCase(a) || !HasComPrefixAnyCase(b)) return 0;
  const auto numberA = WholeNumber(std::string_view(a).substr(3));
  const auto numberB = WholeNumber(std::string_view(b).substr(3));
  if (!numberA || !numberB) return 0;
  return (*numberA > *numberB) - (*numberA < *numberB);
}

}  // namespace vela
