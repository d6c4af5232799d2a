#pragma once
// The wiring check over one reading. From the magnitudes of a 4-wire network
// it places the voltage phasors (Ua at 0°, the sequence taken as A-B-C since
// magnitudes cannot tell the direction: law of cosines on the phase and line
// voltages) and the current phasors (φ = atan2(Q, P) behind each voltage),
// and reads the relations between them as wiring faults. A 3-wire network
// gets the checks its line quantities allow and says which it cannot make.

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "display/MeasurementCells.h"

namespace vela {

// One reading's values by slot; empty where the cell shows no number.
using TReadingValues = std::array<std::optional<double>, kSlotCount>;
TReadingValues ValuesOf(const TMeasurementCells& cells);

struct TPhasor {
  std::string name;  // "Ua", "Uab", "Ia" ...
  bool voltage = true;
  double magnitude = 0;
  std::optional<double> degrees;  // counter-clockwise from the reference; empty: not known
};

struct TWiringAngle {
  std::string key;    // for scripts: "theta_ab", "phi_a" ...
  std::string label;  // for the operator: "θab", "φa" ...
  double degrees = 0;
};

struct TWiringFinding {
  std::string code;                 // "ct-reversed", "currents-swapped" ...
  std::vector<std::string> phases;  // "A", "B", "C"; empty for the whole network
  std::string text;                 // what to check, Russian
};

struct TWiringResult {
  bool fourWire = true;
  std::vector<TPhasor> phasors;            // the voltages first, then the currents
  std::vector<TWiringAngle> angles;        // between voltages, then each current behind its voltage
  std::optional<double> voltageUnbalance;  // largest deviation from the mean, over the mean
  std::optional<double> currentUnbalance;
  std::vector<TWiringFinding> findings;
  std::vector<std::string> notChecked;  // the checks the reading did not allow, Russian
};

TWiringResult AnalyseWiring(const TReadingValues& values);

}  // namespace vela
