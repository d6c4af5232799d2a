#include "app/cli/CliTrace.h"

#include <cstdio>

namespace vela::cli {

TCliTrace::TCliTrace(std::unique_ptr<TTraceTarget> console, bool toStandardError)
    : console_(std::move(console)), toStandardError_(toStandardError) {}

bool TCliTrace::Send(const std::string& text) {
  if (toStandardError_) std::fprintf(stderr, "%s\n", text.c_str());
  return console_ ? console_->Send(text) : toStandardError_;
}

}  // namespace vela::cli
