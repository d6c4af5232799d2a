#pragma once
// The --trace output: one line per request, answer or dropped frame, with the
// local time to the millisecond, on standard error.

#include <cstdio>
#include <string>

#include "common/ArkTypes.h"

namespace vela {

class SimTrace {
 public:
  SimTrace(bool enabled, std::FILE* out = stderr) : enabled_(enabled), out_(out) {}
  bool Enabled() const { return enabled_; }
  // "12:34:56.789 COM3 Rd: 0103..." and an optional note in parentheses.
  void Line(const std::string& port, const char* direction, const Octets& octets,
            const std::string& note = {}) const;
  void Note(const std::string& port, const std::string& text) const;

 private:
  bool enabled_;
  std::FILE* out_;
};

}  // namespace vela
