#pragma once
// Faults spread over a long run: every k-th answer gets the next fault of a
// list in turn, and what was made is counted for the run's summary.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/Faults.h"

namespace vela {

class FaultRotation {
 public:
  explicit FaultRotation(const RotatingFaults& faults) : faults_(faults) {}

  bool Active() const { return faults_.every > 0 && !faults_.kinds.empty(); }
  // The fault for the answer with this number (counting from 1), if any.
  std::optional<LineFault> ForAnswer(int64_t number) const;
  int LateMs() const { return faults_.lateMs; }

  void Made(LineFault fault) { ++made_[static_cast<size_t>(fault)]; }
  int64_t MadeCount() const;
  // "неполадок внесено: 30 (нет ответа 5, контрольная сумма 5, ...)".
  std::string Summary() const;

 private:
  RotatingFaults faults_;
  std::array<int64_t, kLineFaultKinds> made_{};
};

// "no-answer", "bad-checksum", "split", "wrong-address", "busy", "late".
std::optional<LineFault> LineFaultNamed(const std::string& name);
// Every fault, in the order of the list above.
std::vector<LineFault> AllLineFaults();

}  // namespace vela
