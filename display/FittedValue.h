#pragma once
// A value as wide as its place allows. The cell's own format comes first,
// then fewer of its decimals; a value too wide even so is shown in
// thousands, millions or billions of its unit (prefix к, М, Г) with as many
// of the format's decimals as fit, and a
// value that fits in none of these is shown as "###" rather than run into
// its neighbour. Only the picture changes; recorded texts keep the format.

#include <functional>
#include <string>

namespace vela {

struct TFittedValue {
  std::string value;  // with the leading blank when one was asked for
  std::string unit;   // " " + prefix + unit
};

// The width in pixels of a value text and the unit text drawn after it.
using TValueWidth = std::function<int(const std::string& value, const std::string& unit)>;

// The text shown when no form of the value fits.
inline constexpr const char* kValueDoesNotFit = "###";

// leadingBlank: a blank before values >= 0, lining them up with negative ones.
TFittedValue FitValue(double value, const std::string& format, const std::string& unit,
                      bool leadingBlank, int room, const TValueWidth& width);

}  // namespace vela
