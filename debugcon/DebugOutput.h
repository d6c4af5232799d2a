#pragma once
// The debug console endpoint of the system the program runs on, as the
// program's trace sees it: the Unix-domain socket on Linux (ArkDbgCon.h),
// the named pipe "\\.\pipe\dbg_VelaLink" on Windows (DebugPipe.h). Each
// text is one message; texts are dropped while no viewer is connected or a
// write is still pending.

#include <memory>
#include <string>

namespace vela {

class TDebugOutput {
 public:
  virtual ~TDebugOutput() = default;
  // False when the text was dropped or the write failed.
  virtual bool Send(const std::string& text) = 0;
  // Which instance of the endpoint's name this copy took (0: the first).
  virtual int InstanceIndex() const = 0;
  // Where a viewer finds it: the socket's path or the pipe's name.
  virtual std::string EndpointPath() const = 0;
};

// Creates the endpoint "dbg_VelaLink" and starts listening; raises
// TArkException (Russian text) when none can be made.
std::unique_ptr<TDebugOutput> OpenDebugOutput();

}  // namespace vela
