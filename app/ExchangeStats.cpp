#include "app/ExchangeStats.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vela {

void TExchangeStats::Reset() {
  *this = TExchangeStats();
}

void TExchangeStats::Count(const TExchangeEvent& event) {
  switch (event.kind) {
    case TExchangeEventKind::RequestSent:
      RequestSent(event.atMs);
      return;
    case TExchangeEventKind::Answer:
      AnswerReceived(event.atMs);
      return;
    case TExchangeEventKind::TimedOut:
      TimedOut();
      return;
    case TExchangeEventKind::BadFrame:
      BadFrame();
      return;
    case TExchangeEventKind::ExceptionAnswer:
      ExceptionAnswer();
      return;
    case TExchangeEventKind::ReadingCompleted:
      ReadingCompleted();
      return;
    case TExchangeEventKind::CycleStarted:
    case TExchangeEventKind::LineError:
      return;
  }
}

void TExchangeStats::RequestSent(int64_t nowMs) {
  ++figures_.exchanges;
  awaiting_ = true;
  sentMs_ = nowMs;
}

void TExchangeStats::AnswerReceived(int64_t nowMs) {
  if (!awaiting_) return;  // the rest of an answer, or octets nobody asked for
  awaiting_ = false;
  ++figures_.answers;
  const int64_t ms = std::clamp<int64_t>(nowMs - sentMs_, 0, kLongestMs);
  ++answerMs_[static_cast<size_t>(ms)];
}

void TExchangeStats::TimedOut() {
  if (!awaiting_) return;
  awaiting_ = false;
  ++figures_.timeouts;
}

void TExchangeStats::Add(const TExchangeStats& other) {
  figures_.exchanges += other.figures_.exchanges;
  figures_.answers += other.figures_.answers;
  figures_.timeouts += other.figures_.timeouts;
  figures_.badFrames += other.figures_.badFrames;
  figures_.exceptionAnswers += other.figures_.exceptionAnswers;
  figures_.readings += other.figures_.readings;
  for (size_t ms = 0; ms < answerMs_.size(); ++ms) answerMs_[ms] += other.answerMs_[ms];
}

double TExchangeStats::AnswerPercentile(double share) const {
  if (figures_.answers == 0) return 0;
  // Nearest rank: the smallest time at or below which share of the answers came.
  const auto rank = static_cast<int64_t>(std::ceil(share * static_cast<double>(figures_.answers)));
  int64_t seen = 0;
  for (size_t ms = 0; ms < answerMs_.size(); ++ms) {
    seen += answerMs_[ms];
    if (seen >= std::max<int64_t>(rank, 1)) return static_cast<double>(ms);
  }
  return kLongestMs;
}

TExchangeFigures TExchangeStats::Figures() const {
  TExchangeFigures figures = figures_;
  figures.medianAnswerMs = AnswerPercentile(0.5);
  figures.p95AnswerMs = AnswerPercentile(0.95);
  return figures;
}

std::string TExchangeStats::Text() const {
  const TExchangeFigures f = Figures();
  char text[512];
  std::snprintf(text, sizeof text,
                "Показаний прочитано: %lld; обменов: %lld; ответов: %lld; без ответа: %lld; "
                "искажённых ответов: %lld; ответов с исключением: %lld; время ответа: медиана "
                "%.0f мс, 95%% не более %.0f мс",
                static_cast<long long>(f.readings), static_cast<long long>(f.exchanges),
                static_cast<long long>(f.answers), static_cast<long long>(f.timeouts),
                static_cast<long long>(f.badFrames), static_cast<long long>(f.exceptionAnswers),
                f.medianAnswerMs, f.p95AnswerMs);
  return text;
}

}  // namespace vela
