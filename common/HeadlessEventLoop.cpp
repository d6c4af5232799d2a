#include "common/HeadlessEventLoop.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <stdexcept>

#include "common/HandOver.h"

namespace vela {

class HeadlessEventLoop::LoopTimer : public Timer {
 public:
  explicit LoopTimer(HeadlessEventLoop& loop) : loop_(loop) { loop_.timers_.push_back(this); }
  ~LoopTimer() override { std::erase(loop_.timers_, this); }

  void SetEnabled(bool enabled) override {
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled_) Restart();
  }
  bool Enabled() const override { return enabled_; }
  void SetInterval(unsigned ms) override {
    interval_ = ms;
    if (enabled_) Restart();
  }
  unsigned Interval() const override { return interval_; }

  bool Running() const { return enabled_ && interval_ > 0; }
  int64_t deadline = 0;

  void Fire() {
    deadline = loop_.clock_.MonotonicMs() + interval_;
    if (OnTimer) OnTimer();
  }

 private:
  void Restart() { deadline = loop_.clock_.MonotonicMs() + interval_; }

  HeadlessEventLoop& loop_;
  bool enabled_ = false;
  unsigned interval_ = 1000;
};

HeadlessEventLoop::HeadlessEventLoop(Clock& clock) : clock_(clock) {
  handover::BindGuiThread();
}

HeadlessEventLoop::~HeadlessEventLoop() = default;

std::unique_ptr<Timer> HeadlessEventLoop::CreateTimer() {
  return std::make_unique<LoopTimer>(*this);
}

int64_t HeadlessEventLoop::NextDeadline() const {
  int64_t next = INT64_MAX;
  for (const LoopTimer* timer : timers_) {
    if (timer->Running()) next = std::min(next, timer->deadline);
  }
  return next;
}

bool HeadlessEventLoop::FireDueTimers() {
  // A handler may create, free, enable or disable timers: pick one at a time.
  bool fired = false;
  for (;;) {
    const int64_t now = clock_.MonotonicMs();
    LoopTimer* due = nullptr;
    for (LoopTimer* timer : timers_) {
      if (timer->Running() && timer->deadline <= now && (!due || timer->deadline < due->deadline)) {
        due = timer;
      }
    }
    if (!due) return fired;
    due->Fire();
    fired = true;
    handover::Drain();
  }
}

void HeadlessEventLoop::ProcessPending() {
  handover::Drain();
  FireDueTimers();
  handover::Drain();
}

void HeadlessEventLoop::Advance(int64_t ms) {
  auto* virtualClock = dynamic_cast<VirtualClock*>(&clock_);
  if (!virtualClock) throw std::logic_error("HeadlessEventLoop::Advance needs a VirtualClock");
  const int64_t target = clock_.MonotonicMs() + std::max<int64_t>(ms, 0);
  ProcessPending();
  for (;;) {
    const int64_t next = NextDeadline();
    if (next > target) break;
    virtualClock->Advance(next - clock_.MonotonicMs());
    ProcessPending();
  }
  virtualClock->Advance(target - clock_.MonotonicMs());
  ProcessPending();
}

bool HeadlessEventLoop::RunUntil(const std::function<bool()>& done, int64_t timeoutMs) {
  using namespace std::chrono;
  const auto end = steady_clock::now() + milliseconds(timeoutMs);
  for (;;) {
    ProcessPending();
    if (done && done()) return true;
    if (quit_) return false;
    const auto now = steady_clock::now();
    if (now >= end) return false;
    auto wait = duration_cast<milliseconds>(end - now);
    const int64_t next = NextDeadline();
    if (next != INT64_MAX && dynamic_cast<VirtualClock*>(&clock_) == nullptr) {
      wait = std::min(wait, milliseconds(std::max<int64_t>(next - clock_.MonotonicMs(), 0)));
    }
    // Cap the wait so that done() may look at state other threads change.
    wait = std::min(wait, milliseconds(10));
    if (wait.count() > 0) handover::WaitForWork(wait);
  }
}

void HeadlessEventLoop::RunFor(int64_t ms) {
  RunUntil(nullptr, ms);
}

void HeadlessEventLoop::Run() {
  quit_ = false;
  while (!quit_) RunUntil([this] { return quit_.load(); }, 3600 * 1000);
}

void HeadlessEventLoop::Quit() {
  quit_ = true;
  handover::Wake();
}

}  // namespace vela
