#pragma once
// Windows builds only: the debug console endpoint over the named pipe
// "\\.\pipe\dbg_VelaLink" (message mode, up to 16 instances of the name, so
// that several copies of the program may run). A thread of its own waits for
// a viewer, reads and discards what the viewer sends, completes writes, and
// listens again when the viewer goes.

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "debugcon/DebugOutput.h"

namespace vela {

class TDebugPipe : public TDebugOutput {
 public:
  static constexpr DWORD kMaxInstances = 16;
  static constexpr DWORD kBufferSize = 16384;
  static constexpr size_t kReadBufferSize = 4096;

  // name: "dbg_VelaLink" becomes "\\.\pipe\dbg_VelaLink"; a name that
  // begins with "\\" is used as it is. Raises TArkException.
  explicit TDebugPipe(const std::string& name);
  ~TDebugPipe() override;
  TDebugPipe(const TDebugPipe&) = delete;
  TDebugPipe& operator=(const TDebugPipe&) = delete;

  bool Send(const std::string& text) override;
  int InstanceIndex() const override { return 0; }
  std::string EndpointPath() const override { return pipeName_; }
  bool Connected() const { return connected_; }

 private:
  void Run();
  // Waits for a viewer; false when the pipe is ending.
  bool AwaitViewer();
  // Serves the viewer until it goes; false when the pipe is ending.
  bool ServeViewer();
  void CompleteWrite();

  const std::string pipeName_;
  HANDLE pipe_ = INVALID_HANDLE_VALUE;
  HANDLE stopEvent_ = nullptr;
  HANDLE connectEvent_ = nullptr;
  HANDLE readEvent_ = nullptr;
  HANDLE writeEvent_ = nullptr;
  std::atomic<bool> connected_{false};

  std::mutex mutex_;  // the write state below
  OVERLAPPED write_{};
  bool writePending_ = false;
  std::string writeBuffer_;

  std::thread thread_;
};

// The pipe name for a name: see TDebugPipe.
std::string DebugPipeName(const std::string& name);

}  // namespace vela
