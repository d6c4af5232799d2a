#include "app/HiddenKeySequence.h"

namespace vela {

bool THiddenKeySequence::KeyDown(uint16_t key, TShiftState shift) {
  if (shift != ssCtrl) {
    step_ = 0;
    return false;
  }
  if (key != kKeys[step_]) {
    step_ = 0;
    if (key != kKeys[0]) return false;
  }
  if (step_ + 1 < static_cast<int>(kKeys.size())) {
    ++step_;
    return false;
  }
  return true;
}

}  // namespace vela
