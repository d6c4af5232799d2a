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
    cycles_.push_back({clock_.MonotonicMs(), 0, 0, 0});
  } else if (!cycles_.empty() && StartsWith(text, " Wr: ")) {
    ++cycles_.back().exchanges;
    cycles_.back().written += static_cast<int64_t>((text.size() - 5) / 2);
  } else if (!cycles_.empty() && StartsWith(text, " Rd: ")) {
    cycles_.back().read += static_cast<int64_t>((text.size() - 5) / 2);
  }
  if (toStandardError_) std::fprintf(stderr, "%s\n", text.c_str());
  return console_ ? console_->Send(text) : toStandardError_;
}

TCycleFigures TCliTrace::Figures() const {
  TCycleFigures figures;
  if (cycles_.size() < 2) return figures;
  // The first cycle also ran the rest of the prefix: measure from the second.
  const size_t first = cycles_.size() > 2 ? 1 : 0;
  const size_t last = cycles_.size() - 1;  // started, perhaps not finished
  figures.cycles = static_cast<int>(last - first);
  figures.meanCycleMs =
      static_cast<double>(cycles_[last].startMs - cycles_[first].startMs) / figures.cycles;
  const TCycle& whole = cycles_[last - 1];
  figures.exchangesPerCycle = whole.exchanges;
  figures.octetsWritten = whole.written;
  figures.octetsRead = whole.read;
  return figures;
}

}  // namespace vela::cli
