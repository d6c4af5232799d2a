#pragma once
// Base of the objects that own a worker thread (serial port, debug console,
// IEC link master). The worker hands calls to the GUI thread with Synchronize;
// WaitFor, called from the GUI thread, keeps running those hand-overs while it
// waits for the worker to end, so no destruction order can deadlock.

#include <atomic>
#include <functional>
#include <thread>

namespace vela {

class TArkThread {
 public:
  TArkThread() = default;
  TArkThread(const TArkThread&) = delete;
  TArkThread& operator=(const TArkThread&) = delete;
  // The derived destructor must end the thread (Terminate, wake it, WaitFor)
  // before its own members go; this one only checks that it has.
  virtual ~TArkThread();

  bool Terminated() const { return terminated_.load(); }
  bool Running() const { return started_ && !finished_.load(); }

 protected:
  // Starts Execute on a new thread.
  void Start();
  virtual void Execute() = 0;
  void Terminate() { terminated_ = true; }
  // Waits for Execute to return and joins the thread. From the GUI thread it
  // runs queued hand-overs while it waits.
  void WaitFor();
  // Blocking hand-over of call to the GUI thread.
  static void Synchronize(const std::function<void()>& call);

 private:
  std::thread thread_;
  std::atomic<bool> terminated_{false};
  std::atomic<bool> finished_{false};
  bool started_ = false;
};

}  // namespace vela
