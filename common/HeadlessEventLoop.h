#pragma once
// The event loop of the program without a toolkit: it runs the hand-overs of
// worker threads and fires timers against a Clock. The command-line front end
// runs on it with the system clock; tests run it with a VirtualClock and jump
// over time-outs with Advance instead of sleeping.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "common/Clock.h"
#include "common/Timer.h"

namespace vela {

class HeadlessEventLoop : public TimerFactory {
 public:
  // Binds the calling thread as the GUI thread.
  explicit HeadlessEventLoop(Clock& clock);
  ~HeadlessEventLoop() override;

  std::unique_ptr<Timer> CreateTimer() override;
  Clock& GetClock() { return clock_; }

  // Runs queued hand-overs and the timers that are due; one pass, no waiting.
  void ProcessPending();

  // VirtualClock only: moves the clock forward by ms, stopping at every timer
  // deadline on the way to fire it, and runs the hand-overs after each step.
  void Advance(int64_t ms);

  // Serves hand-overs and timers until done() is true or timeoutMs of real
  // time have passed; true when done() became true. Waits without polling.
  bool RunUntil(const std::function<bool()>& done, int64_t timeoutMs);
  void RunFor(int64_t ms);

  // Serves until Quit is called (from the GUI thread, or any thread).
  void Run();
  void Quit();

 private:
  class LoopTimer;
  friend class LoopTimer;
  bool FireDueTimers();
  int64_t NextDeadline() const;  // INT64_MAX when no timer runs

  Clock& clock_;
  std::vector<LoopTimer*> timers_;
  std::atomic<bool> quit_{false};
};

}  // namespace vela
