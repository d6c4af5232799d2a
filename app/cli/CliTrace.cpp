#include "app/cli/CliTrace.h"

#include <cstdio>

namespace vela::cli {
namespace {

bool StartsWith(const std::string& text, const char* prefix) {
  return text.rfind(prefix, 0) == 0;
}

}  // namespace

TCliTrace::TCliTrace(Clock& clock, std::unique_ptr<TTraceTarget> console, bool toStandardError)
    : clock_(clock), console_(std::move(console)), toStandardError_(toStandardError) {}

bool TCliTrace::Send(const std::string& text) {
  if (text == "    <GetLinkPrm4>") {
    const int64_t now = clock_.MonotonicMs();
    if (cycleCount_ < 2) firstStartsMs_[cycleCount_] = now;
    previous_ = current_;
    current_ = {now, 0, 0, 0};
    ++cycleCount_;
  } else if (cycleCount_ > 0 && StartsWith(text, " Wr: ")) {
    ++current_.exchanges;
    current_.written += static_cast<int64_t>((text.size() - 5) / 2);
  } else if (cycleCount_ > 0 && StartsWith(text, " Rd: ")) {
    current_.read += static_cast<int64_t>((text.size() - 5) / 2);
  }
  if (observer_) observer_(text);
  if (toStandardError_) std::fprintf(stderr, "%s\n", text.c_str());
  return console_ ? console_->Send(text) : toStandardError_;
}

TCycleFigures TCliTrace::Figures() const {
  TCycleFigures figures;
  if (cycleCount_ < 2) return figures;
  // The first cycle also ran the rest of the prefix: measure from the second.
  const int64_t first = cycleCount_ > 2 ? 1 : 0;
  const int64_t last = cycleCount_ - 1;  // started, perhaps not finished
  figures.cycles = static_cast<int>(last - first);
  figures.meanCycleMs =
      static_cast<double>(current_.startMs - firstStartsMs_[first]) / figures.cycles;
  const TCycle& whole = previous_;
  figures.exchangesPerCycle = whole.exchanges;
  figures.octetsWritten = whole.written;
  figures.octetsRead = whole.read;
  return figures;
}

}  // namespace vela::cli
