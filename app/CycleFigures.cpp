#include "app/CycleFigures.h"

namespace vela {

void TCycleCounter::Count(const TExchangeEvent& event) {
  switch (event.kind) {
    case TExchangeEventKind::CycleStarted:
      if (cycleCount_ < 2) firstStartsMs_[cycleCount_] = event.atMs;
      previous_ = current_;
      current_ = {event.atMs, 0, 0, 0};
      ++cycleCount_;
      return;
    case TExchangeEventKind::RequestSent:
      if (cycleCount_ == 0) return;
      ++current_.exchanges;
      current_.written += static_cast<int64_t>(event.octets);
      return;
    case TExchangeEventKind::Answer:
      if (cycleCount_ > 0) current_.read += static_cast<int64_t>(event.octets);
      return;
    default:
      return;
  }
}

TCycleFigures TCycleCounter::Figures() const {
  TCycleFigures figures;
  if (cycleCount_ < 2) return figures;
  // The first cycle also ran the rest of the prefix: measure from the second.
  const int64_t first = cycleCount_ > 2 ? 1 : 0;
  const int64_t last = cycleCount_ - 1;  // started, perhaps not finished
  figures.cycles = static_cast<int>(last - first);
  figures.meanCycleMs =
      static_cast<double>(current_.startMs - firstStartsMs_[first]) / figures.cycles;
  figures.exchangesPerCycle = previous_.exchanges;
  figures.octetsWritten = previous_.written;
  figures.octetsRead = previous_.read;
  return figures;
}

}  // namespace vela
