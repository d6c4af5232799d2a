#pragma once
// The activity log (the lines the operator reads) and the trace to the debug
// console. Every log line is traced as "    <" + line + ">". The log keeps
// its lines itself; a front end shows them as they come (OnLine, OnCleared).

#include <deque>
#include <functional>
#include <string>

namespace vela {

class TActivityLog {
 public:
  // The log keeps at most this many lines; the oldest go first.
  static constexpr int kMaxLines = 10000;

  // traceOut delivers one trace message; may be empty (no debug console).
  explicit TActivityLog(std::function<void(const std::string&)> traceOut = {})
      : traceOut_(std::move(traceOut)) {}

  // One message to the debug console; failures of the console are dropped.
  void Trace(const std::string& text) const;
  void TraceJob(const std::string& text) const { Trace("    <" + text + ">"); }
  // A line for the operator (a "\r\n" inside starts a further shown line).
  void Log(const std::string& text);
  void Clear();
  const std::deque<std::string>& Lines() const { return lines_; }

  void SetTraceOut(std::function<void(const std::string&)> traceOut) {
    traceOut_ = std::move(traceOut);
  }

  // Every line logged, as it is logged; and the log emptied.
  std::function<void(const std::string&)> OnLine;
  std::function<void()> OnCleared;

 private:
  std::deque<std::string> lines_;
  std::function<void(const std::string&)> traceOut_;
};

}  // namespace vela
