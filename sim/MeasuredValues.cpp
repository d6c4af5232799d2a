#include "sim/MeasuredValues.h"

#include <cmath>
#include <complex>
#include <numbers>

namespace vela {
namespace {

using Phasor = std::complex<double>;
constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kForcedOutOfRange = 1e9;

// Register, name, step, signed, 4-wire only, power factor.
const std::array<QuantityInfo, 28> kQuantities = {{
    {"f", 0, 0.001, false, false, false},   {"P", 1, 0.2, true, false, false},
    {"Q", 2, 0.2, true, false, false},      {"S", 3, 0.2, false, false, false},
    {"Uab", 4, 0.02, false, false, false},  {"Ubc", 5, 0.02, false, false, false},
    {"Uca", 6, 0.02, false, false, false},  {"Ia", 7, 0.0002, false, false, false},
    {"Ib", 8, 0.0002, false, false, false}, {"Ic", 9, 0.0002, false, false, false},
    {"Io", 10, 0.0002, false, true, false}, {"Ua", 11, 0.01, false, true, false},
    {"Ub", 12, 0.01, false, true, false},   {"Uc", 13, 0.01, false, true, false},
    {"Uo", 14, 0.01, false, true, false},   {"Pa", 15, 0.1, true, true, false},
    {"Pb", 16, 0.1, true, true, false},     {"Pc", 17, 0.1, true, true, false},
    {"Qa", 18, 0.1, true, true, false},     {"Qb", 19, 0.1, true, true, false},
    {"Qc", 20, 0.1, true, true, false},     {"Sa", 21, 0.1, false, true, false},
    {"Sb", 22, 0.1, false, true, false},    {"Sc", 23, 0.1, false, true, false},
    {"cosA", 24, 0.0001, true, true, true}, {"cosB", 25, 0.0001, true, true, true},
    {"cosC", 26, 0.0001, true, true, true}, {"cos", 29, 0.0001, true, false, true},
}};

double Wave(double seconds, double period, double phase) {
  return std::sin(kTwoPi * seconds / period + phase);
}

struct Phase {
  Phasor u;
  Phasor i;
};

// Phase k (0, 1, 2) at 0, -120 and +120 degrees, lagging current.
Phase MeasurePhase(double t, int k) {
  const double shift = -kTwoPi * k / 3;
  const double volts = 230.0 * (1 + 0.004 * Wave(t, 23, 2.1 * k));
  const double amperes = 5.0 * (1 + 0.15 * Wave(t, 61, 1.0 * k));
  const double cosPhi = 0.9 + 0.05 * Wave(t, 47, 0.7 * k);
  return {std::polar(volts, shift), std::polar(amperes, shift - std::acos(cosPhi))};
}

}  // namespace

const std::array<QuantityInfo, 28>& Quantities() {
  return kQuantities;
}

const QuantityInfo* FindQuantity(const std::string& name) {
  for (const auto& q : kQuantities) {
    if (name == q.name) return &q;
  }
  return nullptr;
}

const QuantityInfo* QuantityAtRegister(uint16_t reg) {
  for (const auto& q : kQuantities) {
    if (q.reg == reg) return &q;
  }
  return nullptr;
}

Measurements Measure(int64_t ms, const NetworkState& state) {
  const double t = static_cast<double>(ms) / 1000.0;
  Measurements m{};
  m[0] = 50.0 + 0.015 * Wave(t, 37, 0);
  Phasor sumU, sumI;
  double totalP = 0, totalQ = 0;
  Phase phases[3];
  for (int k = 0; k < 3; ++k) {
    const Phase& ph = phases[k] = MeasurePhase(t, k);
    const Phasor s = ph.u * std::conj(ph.i);
    m[11 + k] = std::abs(ph.u);
    m[7 + k] = std::abs(ph.i);
    m[15 + k] = s.real();
    m[18 + k] = s.imag();
    m[21 + k] = std::abs(s);
    m[24 + k] = s.real() / std::abs(s);
    sumU += ph.u;
    sumI += ph.i;
    totalP += s.real();
    totalQ += s.imag();
  }
  for (int k = 0; k < 3; ++k) m[4 + k] = std::abs(phases[k].u - phases[(k + 1) % 3].u);
  const double raise = kRampStepV * static_cast<double>(state.rampReading % kRampReadings);
  for (int k = 0; k < 3; ++k) {
    m[4 + k] += raise;
    m[11 + k] += raise;
  }
  m[10] = std::abs(sumI);
  m[14] = std::abs(sumU) / 3;
  m[1] = totalP;
  m[2] = totalQ;
  m[3] = std::hypot(totalP, totalQ);
  m[29] = totalP / m[3];
  for (const auto& q : kQuantities) {
    if (state.threeWire && q.fourWireOnly) m[q.reg] = 0;
    if (state.outOfRange.count(q.reg)) m[q.reg] = kForcedOutOfRange;
  }
  return m;
}

}  // namespace vela
