#include "display/FittedValue.h"

#include <cmath>
#include <utility>

#include "display/RegionalSettings.h"

namespace vela {
namespace {

struct TPrefix {
  const char* text;
  double scale;
};
constexpr TPrefix kPrefixes[] = {{"к", 1e3}, {"М", 1e6}, {"Г", 1e9}};

std::string DecimalsFormat(int decimals) {
  return "%." + std::to_string(decimals) + "f";
}

}  // namespace

TFittedValue FitValue(double value, const std::string& format, const std::string& unit,
                      bool leadingBlank, int room, const TValueWidth& width) {
  const std::string blank = leadingBlank && value >= 0 ? " " : "";
  TFittedValue fitted{blank + FormatFixed(value, format), " " + unit};
  if (width(fitted.value, fitted.unit) <= room) return fitted;
  // Fewer decimals of the unit itself keep the most digits.
  for (int decimals = DecimalsOfFormat(format) - 1; decimals >= 0; --decimals) {
    fitted.value = blank + FormatFixed(value, DecimalsFormat(decimals));
    if (width(fitted.value, fitted.unit) <= room) return fitted;
  }
  // A quantity without a unit has nothing to carry a prefix.
  if (std::isfinite(value) && !unit.empty()) {
    const double magnitude = std::fabs(value);
    for (const TPrefix& prefix : kPrefixes) {
      // The prefix that leaves fewer than four integer digits reads best;
      // the largest one is the last resort for any size.
      const bool last = &prefix == &std::end(kPrefixes)[-1];
      for (int decimals = DecimalsOfFormat(format); decimals >= 0; --decimals) {
        const double step = std::pow(10.0, decimals);
        if (!last && std::round(magnitude / prefix.scale * step) / step >= 1000) break;
        // Appended rather than concatenated: GCC 12 at -O3 warns falsely
        // (-Wrestrict) on a literal plus a temporary string.
        std::string prefixedUnit(" ");
        prefixedUnit.append(prefix.text).append(unit);
        fitted = {blank + FormatFixed(value / prefix.scale, DecimalsFormat(decimals)),
                  std::move(prefixedUnit)};
        if (width(fitted.value, fitted.unit) <= room) return fitted;
      }
    }
  }
  std::string spacedUnit(" ");
  spacedUnit.append(unit);
  return {blank + kValueDoesNotFit, std::move(spacedUnit)};
}

}  // namespace vela
