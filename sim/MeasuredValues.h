#pragma once
// The measured quantities of the device, one per input register, and a
// plausible three-phase network that drifts slowly with time: 50 Hz, about
// 230 V phase and 400 V line voltage, about 5 A at a power factor near 0.9.

#include <array>
#include <cstdint>
#include <optional>
#include <set>
#include <string>

namespace vela {

struct QuantityInfo {
  const char* name;  // "f", "P", "Uab", "cosA", "cos" ...
  uint16_t reg;      // input register
  double step;       // value of one count, in the displayed unit
  bool isSigned;
  bool fourWireOnly;  // not measured in a 3-wire network
  bool powerFactor;   // missing on devices with old firmware
};

// Registers 0..26 and 29, in register order.
const std::array<QuantityInfo, 28>& Quantities();
const QuantityInfo* FindQuantity(const std::string& name);
const QuantityInfo* QuantityAtRegister(uint16_t reg);

// Physical values indexed by input register (27 and 28 unused).
using Measurements = std::array<double, 30>;

// How far the voltages rise with each reading of a ramp, and after how many
// readings they start again from where they were.
constexpr double kRampStepV = 0.1;
constexpr int64_t kRampReadings = 1000;

struct NetworkState {
  bool threeWire = false;
  std::set<uint16_t> outOfRange;  // registers forced beyond their range
  // The reading of a ramp: every phase and line voltage is raised by
  // kRampStepV times (rampReading mod kRampReadings); 0: no ramp.
  int64_t rampReading = 0;
};

// The network at monotonic time ms.
Measurements Measure(int64_t ms, const NetworkState& state);

}  // namespace vela
