#include "common/HandOver.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

namespace vela::handover {
namespace {

struct QueuedCall {
  const std::function<void()>* call;
  std::exception_ptr error;
  bool done = false;
};

struct Queue {
  std::mutex mutex;
  std::condition_variable workArrived;  // GUI thread waits on it
  std::condition_variable callDone;     // queuing threads wait on it
  std::deque<QueuedCall*> calls;
  bool woken = false;
  std::function<void()> wakeHook;
  std::atomic<bool> bound{false};
  std::thread::id guiThread;
};

Queue& TheQueue() {
  static Queue queue;
  return queue;
}

void NotifyGui(Queue& q, std::unique_lock<std::mutex>& lock) {
  q.woken = true;
  auto hook = q.wakeHook;
  lock.unlock();
  q.workArrived.notify_all();
  if (hook) hook();
}

}  // namespace

void BindGuiThread() {
  Queue& q = TheQueue();
  std::lock_guard lock(q.mutex);
  q.guiThread = std::this_thread::get_id();
  q.bound = true;
}

bool InGuiThread() {
  Queue& q = TheQueue();
  std::lock_guard lock(q.mutex);
  return !q.bound || q.guiThread == std::this_thread::get_id();
}

void Synchronize(const std::function<void()>& call) {
  if (InGuiThread()) {
    call();
    return;
  }
  Queue& q = TheQueue();
  QueuedCall entry{&call, nullptr, false};
  std::unique_lock lock(q.mutex);
  q.calls.push_back(&entry);
  NotifyGui(q, lock);
  lock.lock();
  q.callDone.wait(lock, [&] { return entry.done; });
  if (entry.error) std::rethrow_exception(entry.error);
}

bool Drain() {
  Queue& q = TheQueue();
  bool ranAny = false;
  for (;;) {
    QueuedCall* entry = nullptr;
    {
      std::lock_guard lock(q.mutex);
      if (q.calls.empty()) break;
      entry = q.calls.front();
      q.calls.pop_front();
    }
    try {
      (*entry->call)();
    } catch (...) {
      entry->error = std::current_exception();
    }
    {
      std::lock_guard lock(q.mutex);
      entry->done = true;
    }
    q.callDone.notify_all();
    ranAny = true;
  }
  return ranAny;
}

void WaitForWork(std::chrono::milliseconds timeout) {
  Queue& q = TheQueue();
  std::unique_lock lock(q.mutex);
  q.workArrived.wait_for(lock, timeout, [&] { return q.woken || !q.calls.empty(); });
  q.woken = false;
}

void Wake() {
  Queue& q = TheQueue();
  std::unique_lock lock(q.mutex);
  NotifyGui(q, lock);
}

void SetWakeHook(std::function<void()> hook) {
  Queue& q = TheQueue();
  std::lock_guard lock(q.mutex);
  q.wakeHook = std::move(hook);
}

int PendingCount() {
  Queue& q = TheQueue();
  std::lock_guard lock(q.mutex);
  return static_cast<int>(q.calls.size());
}

}  // namespace vela::handover
