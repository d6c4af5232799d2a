#include "common/Clock.h"

#include <chrono>
#include <cmath>
#include <ctime>

#include "common/DateTime.h"

namespace vela {

TDateTime SystemClock::Now() const {
  using namespace std::chrono;
  const auto now = system_clock::now();
  const std::time_t seconds = system_clock::to_time_t(now);
  const int ms =
      static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
  std::tm local{};
  localtime_r(&seconds, &local);
  return EncodeDateTime(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                        local.tm_min, local.tm_sec, ms);
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
