#pragma once
// The timer seam: a periodic timer of the GUI thread that the program enables
// and disables. Enabling it, or changing the interval while it runs, starts a
// new period. OnTimer always runs on the GUI thread.

#include <functional>
#include <memory>

namespace vela {

class Timer {
 public:
  virtual ~Timer() = default;
  virtual void SetEnabled(bool enabled) = 0;
  virtual bool Enabled() const = 0;
  virtual void SetInterval(unsigned ms) = 0;
  virtual unsigned Interval() const = 0;

  std::function<void()> OnTimer;
};

class TimerFactory {
 public:
  virtual ~TimerFactory() = default;
  virtual std::unique_ptr<Timer> CreateTimer() = 0;
};

}  // namespace vela
