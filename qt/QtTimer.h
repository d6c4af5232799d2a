#pragma once
// The timer seam over QTimer.

#include <QTimer>
#include <memory>

#include "common/Timer.h"

namespace vela {

class QtTimer : public Timer {
 public:
  QtTimer();
  void SetEnabled(bool enabled) override;
  bool Enabled() const override { return enabled_; }
  void SetInterval(unsigned ms) override;
  unsigned Interval() const override { return interval_; }

 private:
  void Restart();

  QTimer timer_;
  bool enabled_ = false;
  unsigned interval_ = 1000;
};

class QtTimerFactory : public TimerFactory {
 public:
  std::unique_ptr<Timer> CreateTimer() override { return std::make_unique<QtTimer>(); }
};

}  // namespace vela
