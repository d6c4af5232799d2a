#include "common/Clock.h"

#include <chrono>
#include <cmath>

#include "common/LocalTime.h"

namespace vela {

TDateTime SystemClock::Now() const {
  return LocalDateTimeNow();
}

int64_t SystemClock::MonotonicMs() const {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

SystemClock& SystemClock::Instance() {
  static SystemClock clock;
  return clock;
}

VirtualClock::VirtualClock(TDateTime start) : startMs_(std::llround(start * 86400000.0)) {}

TDateTime VirtualClock::Now() const {
  return static_cast<double>(startMs_.load() + monotonicMs_.load()) / 86400000.0;
}

int64_t VirtualClock::MonotonicMs() const {
  return monotonicMs_.load();
}

void VirtualClock::Advance(int64_t ms) {
  if (ms > 0) monotonicMs_ += ms;
}

void VirtualClock::SetNow(TDateTime now) {
  startMs_ = std::llround(now * 86400000.0) - monotonicMs_.load();
}

}  // namespace vela
