#pragma once
// Counters of the exchanges of one operation: requests sent, answers,
// time-outs, bad frames, exception answers, completed readings (each makes
// one record) and the answer times, kept as a histogram so that reading
// for days needs no more memory than reading for a minute.

#include <array>
#include <cstdint>
#include <string>

#include "common/ExchangeEvent.h"

namespace vela {

struct TExchangeFigures {
  int64_t exchanges = 0;         // requests sent
  int64_t answers = 0;           // requests that got octets back
  int64_t timeouts = 0;          // requests that got nothing before the time-out
  int64_t badFrames = 0;         // answers with a wrong length, checksum or address
  int64_t exceptionAnswers = 0;  // answers that were a device exception response
  int64_t readings = 0;          // completed readings, one record each
  double medianAnswerMs = 0;     // of the answers; 0 when there were none
  double p95AnswerMs = 0;
};

class TExchangeStats {
 public:
  void Reset();
  // One exchange event: each kind goes to its counter below.
  void Count(const TExchangeEvent& event);
  void RequestSent(int64_t nowMs);
  // The first octets after a request: an answer, timed from the request.
  void AnswerReceived(int64_t nowMs);
  // The time-out came; counted only when the request got no answer at all.
  void TimedOut();
  void BadFrame() { ++figures_.badFrames; }
  void ExceptionAnswer() { ++figures_.exceptionAnswers; }
  void ReadingCompleted() { ++figures_.readings; }

  // Adds another operation's counters and answer times to these.
  void Add(const TExchangeStats& other);

  TExchangeFigures Figures() const;
  int64_t Exchanges() const { return figures_.exchanges; }
  // One Russian line with every figure.
  std::string Text() const;

 private:
  static constexpr int kLongestMs = 10000;  // longer answers count as this long
  double AnswerPercentile(double share) const;

  TExchangeFigures figures_;
  bool awaiting_ = false;
  int64_t sentMs_ = 0;
  std::array<uint32_t, kLongestMs + 1> answerMs_{};
};

}  // namespace vela
