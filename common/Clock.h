#pragma once
// The clock seam: the local date-time and a monotonic millisecond count.
// Production uses SystemClock; tests use VirtualClock and move it by hand.

#include <atomic>
#include <cstdint>

#include "common/ArkTypes.h"

namespace vela {

class Clock {
 public:
  virtual ~Clock() = default;
  // Local date-time, days since 30.12.1899.
  virtual TDateTime Now() const = 0;
  // Milliseconds from an arbitrary fixed start; never goes back.
  virtual int64_t MonotonicMs() const = 0;
};

class SystemClock : public Clock {
 public:
  TDateTime Now() const override;
  int64_t MonotonicMs() const override;
  // One clock for the whole process.
  static SystemClock& Instance();
};

// A clock that moves only when told to. Safe to read from any thread.
class VirtualClock : public Clock {
 public:
  explicit VirtualClock(TDateTime start = 46000.5);  // 09.12.2025 12:00:00
  TDateTime Now() const override;
  int64_t MonotonicMs() const override;
  void Advance(int64_t ms);
  void SetNow(TDateTime now);

 private:
  std::atomic<int64_t> startMs_;  // local time at monotonic 0, in ms since 30.12.1899
  std::atomic<int64_t> monotonicMs_{0};
};

}  // namespace vela
