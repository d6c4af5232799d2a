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
  memo_.Add(text);
  const int excess = static_cast<int>(memo_.Lines().size()) - kMaxLines;
  if (excess > 0) memo_.RemoveFirst(excess);
  TraceJob(text);
  if (OnLine) OnLine(text);
}

}  // namespace vela
