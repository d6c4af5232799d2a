#pragma once
// The trace target of velalink-cli: passes every trace message on to the
// debug console (when one could be made) and to standard error with --trace.
// Nothing is read from the trace: the figures come from exchange events.

#include <memory>
#include <string>

#include "app/Engine.h"

namespace vela::cli {

class TCliTrace : public TTraceTarget {
 public:
  TCliTrace(std::unique_ptr<TTraceTarget> console, bool toStandardError);
  bool Send(const std::string& text) override;
  std::string StartNote() const override { return console_ ? console_->StartNote() : ""; }

 private:
  std::unique_ptr<TTraceTarget> console_;
  bool toStandardError_;
};

}  // namespace vela::cli
