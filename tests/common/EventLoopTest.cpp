#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

#include "common/ArkThread.h"
#include "common/DateTime.h"
#include "common/HandOver.h"
#include "common/HeadlessEventLoop.h"

namespace vela {
namespace {

TEST(HeadlessEventLoop, VirtualClockFiresTimersAtTheirDeadlines) {
  VirtualClock clock;
  HeadlessEventLoop loop(clock);
  auto fast = loop.CreateTimer();
  auto slow = loop.CreateTimer();
  std::vector<std::pair<char, int64_t>> fired;
  fast->OnTimer = [&] { fired.emplace_back('f', clock.MonotonicMs()); };
  slow->OnTimer = [&] {
    fired.emplace_back('s', clock.MonotonicMs());
    fast->SetEnabled(false);
  };
  fast->SetInterval(100);
  slow->SetInterval(250);
  fast->SetEnabled(true);
  slow->SetEnabled(true);
  loop.Advance(600);
  const std::vector<std::pair<char, int64_t>> expected = {
      {'f', 100}, {'f', 200}, {'s', 250}, {'s', 500}};
  EXPECT_EQ(fired, expected);
  EXPECT_EQ(clock.MonotonicMs(), 600);
}

TEST(HeadlessEventLoop, ReenablingStartsANewPeriod) {
  VirtualClock clock;
  HeadlessEventLoop loop(clock);
  auto timer = loop.CreateTimer();
  int ticks = 0;
  timer->OnTimer = [&] { ++ticks; };
  timer->SetInterval(300);
  timer->SetEnabled(true);
  loop.Advance(200);
  timer->SetEnabled(false);
  timer->SetEnabled(true);
  loop.Advance(200);
  EXPECT_EQ(ticks, 0);
  loop.Advance(100);
  EXPECT_EQ(ticks, 1);
}

TEST(HandOver, WorkerCallRunsOnTheGuiThreadAndRethrows) {
  VirtualClock clock;
  HeadlessEventLoop loop(clock);
  const auto gui = std::this_thread::get_id();
  std::thread::id ranOn;
  bool rethrown = false;
  std::atomic<bool> finished{false};
  std::thread worker([&] {
    handover::Synchronize([&] { ranOn = std::this_thread::get_id(); });
    try {
      handover::Synchronize([] { throw TArkException("x"); });
    } catch (const TArkException&) {
      rethrown = true;
    }
    finished = true;
  });
  EXPECT_TRUE(loop.RunUntil([&] { return finished.load(); }, 5000));
  worker.join();
  EXPECT_EQ(ranOn, gui);
  EXPECT_TRUE(rethrown);
}

class BlockedWorker : public TArkThread {
 public:
  explicit BlockedWorker(int& counter) : counter_(counter) { Start(); }
  ~BlockedWorker() override {
    Terminate();
    WaitFor();
  }

 private:
  void Execute() override {
    while (!Terminated()) Synchronize([this] { ++counter_; });
  }
  int& counter_;
};

TEST(ArkThread, DestructorServesHandOversOfItsBlockedWorker) {
  VirtualClock clock;
  HeadlessEventLoop loop(clock);
  int counter = 0;
  {
    BlockedWorker worker(counter);
    // Let the worker block in a hand-over that only the GUI thread can run.
    while (handover::PendingCount() == 0) std::this_thread::yield();
  }
  EXPECT_GE(counter, 1);
}

TEST(DateTime, EncodeDecodeRoundTrip) {
  struct Case {
    int y, mo, d, h, mi, s, ms;
    double expected;
  };
  const Case cases[] = {{1899, 12, 30, 0, 0, 0, 0, 0.0},
                        {2000, 1, 1, 0, 0, 0, 0, 36526.0},
                        {2000, 1, 1, 12, 0, 0, 0, 36526.5},
                        {2024, 2, 29, 23, 59, 59, 999, -1}};
  for (const Case& c : cases) {
    const TDateTime t = EncodeDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s, c.ms);
    if (c.expected >= 0) {
      EXPECT_DOUBLE_EQ(t, c.expected);
    }
    const DateTimeParts p = DecodeDateTime(t);
    EXPECT_EQ((std::vector<int>{p.year, p.month, p.day, p.hour, p.minute, p.second, p.millisecond}),
              (std::vector<int>{c.y, c.mo, c.d, c.h, c.mi, c.s, c.ms}));
  }
}

}  // namespace
}  // namespace vela
