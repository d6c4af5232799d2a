#include <windows.h>
// windows.h first: psapi.h needs its types.
#include <psapi.h>

#include "common/ProcessResources.h"

namespace vela {

// The working set stands for resident memory, the handle count for open descriptors.
TProcessResources SampleProcessResources() {
  TProcessResources r;
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(GetCurrentProcess(), &memory, sizeof memory)) {
    r.residentKb = static_cast<int64_t>(memory.WorkingSetSize / 1024);
  }
  DWORD handles = 0;
  if (GetProcessHandleCount(GetCurrentProcess(), &handles))
    r.openDescriptors = static_cast<int>(handles);
  return r;
}

}  // namespace vela
