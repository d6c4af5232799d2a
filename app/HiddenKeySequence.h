#pragma once
// The hidden key sequence that toggles the service view: three letter keys,
// each pressed with Ctrl alone held.

#include <array>
#include <cstdint>

#include "ui/Form.h"

namespace vela {

class THiddenKeySequence {
 public:
  static constexpr std::array<uint16_t, 3> kKeys = {'V', 'L', 'K'};

  // One key press; true when it completes the sequence (the caller toggles
  // the service view). The third key toggles again on every further press
  // until something resets the expectation.
  bool KeyDown(uint16_t key, TShiftState shift);

  // The next key expected (FKeySequenceState).
  uint16_t Expected() const { return kKeys[step_]; }

 private:
  int step_ = 0;
};

}  // namespace vela
