#pragma once
// The trace target of a running program: the debug console endpoint
// "dbg_VelaLink". Creation raises when no console endpoint can be made.

#include <memory>

#include "app/MainForm.h"
#include "debugcon/DebugOutput.h"

namespace vela {

class TDebugConsoleTarget : public TTraceTarget {
 public:
  TDebugConsoleTarget() : output_(OpenDebugOutput()) {}
  bool Send(const std::string& text) override { return output_->Send(text); }
  // Another copy holds the first socket: say which one this copy took.
  std::string StartNote() const override {
    const int index = output_->InstanceIndex();
    if (index == 0) return {};
    return "    <Отладочная консоль: первый сокет занят другой копией программы; трассировка "
           "идёт в " +
           output_->EndpointPath() + " (velalink-console " + std::to_string(index) + ")>";
  }

 private:
  std::unique_ptr<TDebugOutput> output_;
};

}  // namespace vela
