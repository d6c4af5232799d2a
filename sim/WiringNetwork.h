#pragma once
// A steady three-phase network of 230 V and 5 A per phase at a chosen load
// angle, seen through a transducer wired with faults: a reversed current or
// voltage transformer, two currents swapped, a phase voltage or current
// missing. The 28 quantities follow from the phasors the inputs see.

#include <string>
#include <vector>

#include "sim/MeasuredValues.h"

namespace vela {

enum class WiringFaultKind {
  CtReversed,
  CurrentsSwapped,
  VtReversed,
  VoltageMissing,
  CurrentMissing
};

struct WiringFault {
  WiringFaultKind kind = WiringFaultKind::CtReversed;
  std::vector<int> phases;  // 0 A, 1 B, 2 C
};

struct WiringNetwork {
  std::vector<WiringFault> faults;
  double loadAngleDeg = 25.84;  // current behind voltage: cos 0.9 lagging
};

// "ct-reversed:B,currents-swapped:A,B": a phase letter after a comma belongs
// to the fault before it. False on a mistake.
bool ParseWiringFaults(const std::string& text, std::vector<WiringFault>& faults);

// The quantities of the network; a 3-wire network and forced values as
// state says.
Measurements MeasureWiring(const WiringNetwork& network, const NetworkState& state);

}  // namespace vela
