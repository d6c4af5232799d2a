#include "app/ActivityLog.h"

namespace vela {

void TActivityLog::Trace(const std::string& text) const {
  if (!traceOut_) return;
  try {
    traceOut_(text);
  } catch (...) {
    // The console is a developer's aid: its failures never reach the operator.
  }
}

void TActivityLog::Log(const std::string& text) {
  lines_.push_back(text);
  if (lines_.size() > static_cast<size_t>(kMaxLines)) lines_.pop_front();
  TraceJob(text);
  if (OnLine) OnLine(text);
}

void TActivityLog::Clear() {
  lines_.clear();
  if (OnCleared) OnCleared();
}

}  // namespace vela
