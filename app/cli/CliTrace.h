#pragma once
// The trace target of velalink-cli: passes every trace message on to the
// debug console (when one could be made) and to standard error with
// --trace, and keeps the figures of continuous reading: when each cycle
// started (the GetLinkPrm4 job that opens it) and the octets and exchanges
// of the last whole cycle.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "app/MainForm.h"
#include "common/Clock.h"

namespace vela::cli {

struct TCycleFigures {
  int cycles = 0;             // whole cycles measured
  double meanCycleMs = 0;     // over those cycles
  int exchangesPerCycle = 0;  // of the last whole cycle
  int64_t octetsWritten = 0;  // of the last whole cycle
  int64_t octetsRead = 0;
};

class TCliTrace : public TTraceTarget {
 public:
  TCliTrace(Clock& clock, std::unique_ptr<TTraceTarget> console, bool toStandardError);
  bool Send(const std::string& text) override;
  std::string StartNote() const override { return console_ ? console_->StartNote() : ""; }
  TCycleFigures Figures() const;
  // Also sees every message (the commissioning commands watch the answers).
  void SetObserver(std::function<void(const std::string&)> observer) {
    observer_ = std::move(observer);
  }

 private:
  struct TCycle {
    int64_t startMs = 0;
    int exchanges = 0;
    int64_t written = 0, read = 0;
  };

  Clock& clock_;
  std::unique_ptr<TTraceTarget> console_;
  bool toStandardError_;
  std::function<void(const std::string&)> observer_;
  // Watching may go on for days: only what the figures need is kept.
  int64_t cycleCount_ = 0;
  int64_t firstStartsMs_[2] = {0, 0};  // of the first two cycles
  TCycle previous_, current_;          // current_ is still running
};

}  // namespace vela::cli
