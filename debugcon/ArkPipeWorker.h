#pragma once
// The thread of a debug console endpoint. It is a complete object of its own
// so that it may start while the endpoint is still being constructed.

#include "common/ArkThread.h"
#include "debugcon/ArkDbgCon.h"

namespace vela {

class TArkPipeBase::Worker final : public TArkThread {
 public:
  explicit Worker(TArkPipeBase& pipe) : pipe_(pipe) {}
  ~Worker() override { Stop(); }

  void Run() { Start(); }
  // Ends the thread and waits for it; from the GUI thread it serves the
  // thread's hand-overs meanwhile.
  void Stop() {
    Terminate();
    pipe_.WakeWorker();
    WaitFor();
  }
  static void HandOver(const std::function<void()>& call) { Synchronize(call); }

 private:
  void Execute() override { pipe_.Execute(); }

  TArkPipeBase& pipe_;
};

}  // namespace vela
