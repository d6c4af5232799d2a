#include <gtest/gtest.h>

#include <vector>

#include "app/ExchangeStats.h"

namespace vela {
namespace {

struct PercentileCase {
  std::vector<int> answerMs;
  double median, p95;
};

class ExchangeStatsPercentileTest : public testing::TestWithParam<PercentileCase> {};

TEST_P(ExchangeStatsPercentileTest, NearestRankOverTheAnswers) {
  TExchangeStats stats;
  int64_t now = 1000;
  for (int ms : GetParam().answerMs) {
    stats.RequestSent(now);
    now += ms;
    stats.AnswerReceived(now);
  }
  const TExchangeFigures f = stats.Figures();
  EXPECT_EQ(f.answers, static_cast<int64_t>(GetParam().answerMs.size()));
  EXPECT_EQ(f.medianAnswerMs, GetParam().median);
  EXPECT_EQ(f.p95AnswerMs, GetParam().p95);
}

std::vector<int> OneToHundred() {
  std::vector<int> ms;
  for (int i = 1; i <= 100; ++i) ms.push_back(i);
  return ms;
}

INSTANTIATE_TEST_SUITE_P(Cases, ExchangeStatsPercentileTest,
                         testing::Values(PercentileCase{{}, 0, 0}, PercentileCase{{7}, 7, 7},
                                         PercentileCase{{30, 10, 20}, 20, 30},
                                         PercentileCase{OneToHundred(), 50, 95},
                                         PercentileCase{{5, 99999}, 5, 10000}));

TEST(ExchangeStatsTest, EachRequestEndsAsOneAnswerOrOneTimeOut) {
  TExchangeStats stats;
  stats.RequestSent(0);
  stats.AnswerReceived(5);
  stats.AnswerReceived(6);  // the rest of the same answer
  stats.BadFrame();
  stats.TimedOut();  // the time-out after a bad answer is no silence
  stats.RequestSent(10);
  stats.TimedOut();
  stats.RequestSent(20);
  stats.AnswerReceived(30);
  stats.ExceptionAnswer();
  stats.ReadingCompleted();
  const TExchangeFigures f = stats.Figures();
  EXPECT_EQ(f.exchanges, 3);
  EXPECT_EQ(f.answers, 2);
  EXPECT_EQ(f.timeouts, 1);
  EXPECT_EQ(f.badFrames, 1);
  EXPECT_EQ(f.exceptionAnswers, 1);
  EXPECT_EQ(f.readings, 1);
  EXPECT_EQ(stats.Text(),
            "Показаний прочитано: 1; обменов: 3; ответов: 2; без ответа: 1; искажённых ответов: 1; "
            "ответов с исключением: 1; время ответа: медиана 5 мс, 95% не более 10 мс");
}

}  // namespace
}  // namespace vela
