#pragma once
// The activity log (the read-only memo the operator reads) and the trace to
// the debug console. Every log line is traced as "    <" + line + ">".

#include <functional>
#include <string>

#include "ui/TextControls.h"

namespace vela {

class TActivityLog {
 public:
  // The log keeps at most this many lines; the oldest go first.
  static constexpr int kMaxLines = 10000;

  // traceOut delivers one trace message; may be empty (no debug console).
  TActivityLog(TMemo& memo, std::function<void(const std::string&)> traceOut)
      : memo_(memo), traceOut_(std::move(traceOut)) {}

  // One message to the debug console; failures of the console are dropped.
  void Trace(const std::string& text) const;
  void TraceJob(const std::string& text) const { Trace("    <" + text + ">"); }
  // A line for the operator (a "\r\n" inside starts a further memo line).
  void Log(const std::string& text);
  void Clear() { memo_.Clear(); }

  void SetTraceOut(std::function<void(const std::string&)> traceOut) {
    traceOut_ = std::move(traceOut);
  }

  // Every line logged, as it is logged (front ends without the memo print it).
  std::function<void(const std::string&)> OnLine;

 private:
  TMemo& memo_;
  std::function<void(const std::string&)> traceOut_;
};

}  // namespace vela
