#include "sim/WiringNetwork.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <map>
#include <numbers>
#include <sstream>

namespace vela {
namespace {

using Phasor = std::complex<double>;
constexpr double kVolts = 230.0;
constexpr double kAmperes = 5.0;
constexpr double kForcedOutOfRange = 1e9;  // as Measure forces a value

Phasor Polar(double magnitude, double degrees) {
  return std::polar(magnitude, degrees * std::numbers::pi / 180);
}

bool PhasesFit(const WiringFault& fault) {
  if (fault.kind == WiringFaultKind::CurrentsSwapped) {
    return fault.phases.size() == 2 && fault.phases[0] != fault.phases[1];
  }
  return !fault.phases.empty();
}

void Apply(const WiringFault& fault, std::array<Phasor, 3>& u, std::array<Phasor, 3>& i) {
  for (int k : fault.phases) {
    switch (fault.kind) {
      case WiringFaultKind::CtReversed:
        i[k] = -i[k];
        break;
      case WiringFaultKind::VtReversed:
        u[k] = -u[k];
        break;
      case WiringFaultKind::VoltageMissing:
        u[k] = 0;
        break;
      case WiringFaultKind::CurrentMissing:
        i[k] = 0;
        break;
      case WiringFaultKind::CurrentsSwapped:
        break;
    }
  }
  if (fault.kind == WiringFaultKind::CurrentsSwapped)
    std::swap(i[fault.phases[0]], i[fault.phases[1]]);
}

}  // namespace

bool ParseWiringFaults(const std::string& text, std::vector<WiringFault>& faults) {
  static const std::map<std::string, WiringFaultKind> kKinds = {
      {"ct-reversed", WiringFaultKind::CtReversed},
      {"currents-swapped", WiringFaultKind::CurrentsSwapped},
      {"vt-reversed", WiringFaultKind::VtReversed},
      {"voltage-missing", WiringFaultKind::VoltageMissing},
      {"current-missing", WiringFaultKind::CurrentMissing}};
  const auto phase = [](const std::string& letter) {
    return letter.size() == 1 && letter[0] >= 'A' && letter[0] <= 'C' ? letter[0] - 'A' : -1;
  };
  std::stringstream list(text);
  std::string item;
  while (std::getline(list, item, ',')) {
    const size_t colon = item.find(':');
    if (colon == std::string::npos) {
      if (faults.empty() || phase(item) < 0) return false;
      faults.back().phases.push_back(phase(item));
      continue;
    }
    const auto kind = kKinds.find(item.substr(0, colon));
    const int k = phase(item.substr(colon + 1));
    if (kind == kKinds.end() || k < 0) return false;
    faults.push_back({kind->second, {k}});
  }
  return !faults.empty() && std::all_of(faults.begin(), faults.end(), PhasesFit);
}

Measurements MeasureWiring(const WiringNetwork& network, const NetworkState& state) {
  std::array<Phasor, 3> u, i;
  for (int k = 0; k < 3; ++k) {
    u[k] = Polar(kVolts, -120.0 * k);
    i[k] = Polar(kAmperes, -120.0 * k - network.loadAngleDeg);
  }
  for (const WiringFault& fault : network.faults) Apply(fault, u, i);
  Measurements m{};
  m[0] = 50.0;
  Phasor sumU, sumI;
  double p = 0, q = 0;
  for (int k = 0; k < 3; ++k) {
    const Phasor s = u[k] * std::conj(i[k]);
    m[4 + k] = std::abs(u[k] - u[(k + 1) % 3]);
    m[7 + k] = std::abs(i[k]);
    m[11 + k] = std::abs(u[k]);
    m[15 + k] = s.real();
    m[18 + k] = s.imag();
    m[21 + k] = std::abs(s);
    m[24 + k] = std::abs(s) > 0 ? s.real() / std::abs(s) : 0;
    sumU += u[k];
    sumI += i[k];
    p += s.real();
    q += s.imag();
  }
  m[1] = p;
  m[2] = q;
  m[3] = std::hypot(p, q);
  m[10] = std::abs(sumI);
  m[14] = std::abs(sumU) / 3;
  m[29] = m[3] > 0 ? p / m[3] : 0;
  for (const QuantityInfo& quantity : Quantities()) {
    if (state.threeWire && quantity.fourWireOnly) m[quantity.reg] = 0;
    if (state.outOfRange.count(quantity.reg)) m[quantity.reg] = kForcedOutOfRange;
  }
  return m;
}

}  // namespace vela
