#include "qt/QtTimer.h"

namespace vela {

QtTimer::QtTimer() {
  timer_.setTimerType(Qt::PreciseTimer);
  QObject::connect(&timer_, &QTimer::timeout, [this] {
    if (OnTimer) OnTimer();
  });
}

void QtTimer::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  if (enabled_) {
    Restart();
  } else {
    timer_.stop();
  }
}

void QtTimer::SetInterval(unsigned ms) {
  interval_ = ms;
  if (enabled_) Restart();
}

void QtTimer::Restart() {
  // A zero interval means the timer does not run.
  if (interval_ == 0) {
    timer_.stop();
    return;
  }
  timer_.start(static_cast<int>(interval_));
}

}  // namespace vela
