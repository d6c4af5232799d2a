#include "common/ArkThread.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "common/HandOver.h"

namespace vela {

TArkThread::~TArkThread() {
  if (thread_.joinable()) {
    // A derived class forgot to end its thread: its members are gone already.
    std::fputs("TArkThread destroyed with its thread running\n", stderr);
    std::abort();
  }
}

void TArkThread::Start() {
  started_ = true;
  thread_ = std::thread([this] {
    Execute();
    finished_ = true;
    handover::Wake();
  });
}

void TArkThread::WaitFor() {
  if (!thread_.joinable()) return;
  if (handover::InGuiThread()) {
    while (!finished_.load()) {
      handover::Drain();
      handover::WaitForWork(std::chrono::milliseconds(20));
    }
    handover::Drain();
  }
  thread_.join();
}

void TArkThread::Synchronize(const std::function<void()>& call) {
  handover::Synchronize(call);
}

}  // namespace vela
