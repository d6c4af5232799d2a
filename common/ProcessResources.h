#pragma once
// What the running program holds of the machine: resident memory and open
// file descriptors (read from /proc; on Windows the working set and the
// handle count), to show that a long run does not grow.

#include <cstdint>

namespace vela {

struct TProcessResources {
  int64_t residentKb = -1;   // VmRSS; -1 when /proc cannot tell
  int openDescriptors = -1;  // entries of /proc/self/fd; -1 likewise
};

TProcessResources SampleProcessResources();

}  // namespace vela
