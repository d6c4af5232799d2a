// The seams over Qt: the timer, the hand-over drained by the Qt event loop,
// and the file-save dialog's filter text.

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <atomic>
#include <thread>

#include "common/HandOver.h"
#include "qt/QtDialogs.h"
#include "qt/QtHandOver.h"
#include "qt/QtTimer.h"
#include "qt/tests/QtTestApp.h"

namespace vela {
namespace {

class QtSeamsTest : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureQtApplication(); }
};

TEST_F(QtSeamsTest, TimerFiresWhileEnabledAndStopsWhenDisabled) {
  QtTimer timer;
  int ticks = 0;
  timer.OnTimer = [&] { ++ticks; };
  timer.SetInterval(5);
  EXPECT_FALSE(timer.Enabled());
  timer.SetEnabled(true);
  EXPECT_TRUE(test::RunEventsUntil([&] { return ticks >= 3; }, 5000));
  timer.SetEnabled(false);
  const int stopped = ticks;
  test::RunEventsUntil([] { return false; }, 30);
  EXPECT_EQ(ticks, stopped);
}

TEST_F(QtSeamsTest, ZeroIntervalKeepsTheTimerSilent) {
  QtTimer timer;
  int ticks = 0;
  timer.OnTimer = [&] { ++ticks; };
  timer.SetInterval(0);
  timer.SetEnabled(true);
  test::RunEventsUntil([] { return false; }, 30);
  EXPECT_EQ(ticks, 0);
  EXPECT_EQ(timer.Interval(), 0u);
}

TEST_F(QtSeamsTest, WorkerCallRunsOnTheGuiThreadThroughTheEventLoop) {
  InstallQtHandOver();
  const std::thread::id gui = std::this_thread::get_id();
  std::atomic<bool> done{false};
  std::thread::id ranOn;
  std::thread worker([&] {
    handover::Synchronize([&] { ranOn = std::this_thread::get_id(); });
    done = true;
  });
  EXPECT_TRUE(test::RunEventsUntil([&] { return done.load(); }, 5000));
  worker.join();
  EXPECT_EQ(ranOn, gui);
}

struct FilterCase {
  const char* filter;
  const char* expected;
};

TEST(QtFileFilterTest, PairsBecomeQtFilters) {
  const FilterCase cases[] = {
      {"Файлы CSV (*.csv)|*.csv", "Файлы CSV (*.csv)"},
      {"CSV|*.csv|Все файлы|*.*", "CSV (*.csv);;Все файлы (*.*)"},
      {"Тексты|*.txt;*.log", "Тексты (*.txt *.log)"},
      {"", ""},
      {"без шаблона", ""},
  };
  for (const FilterCase& c : cases) {
    EXPECT_EQ(QtFileFilter(c.filter).toStdString(), c.expected) << c.filter;
  }
}

TEST(QtTextTest, WindowsLineBreaksBecomeQtOnes) {
  EXPECT_EQ(QtText("a\r\nb\r\nc").toStdString(), "a\nb\nc");
  EXPECT_EQ(QtText("a\nb").toStdString(), "a\nb");
}

}  // namespace
}  // namespace vela
