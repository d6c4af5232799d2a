#pragma once
// The blocking hand-over of a call to the GUI thread.
//
// One thread of the process is the GUI thread (BindGuiThread). Synchronize from
// any other thread queues the call and waits until the GUI thread has run it;
// from the GUI thread it runs the call at once. The GUI thread runs queued calls
// with Drain, from its event loop.

#include <chrono>
#include <functional>

namespace vela::handover {

// Makes the calling thread the GUI thread.
void BindGuiThread();
bool InGuiThread();

// Runs call on the GUI thread and returns when it has run. An exception the
// call raises is raised again in the caller. Without a bound GUI thread the
// call runs directly.
void Synchronize(const std::function<void()>& call);

// GUI thread: runs every call queued so far; true when it ran any.
bool Drain();

// GUI thread: waits until a call is queued, Wake is called, or the time is up.
void WaitForWork(std::chrono::milliseconds timeout);

// Wakes WaitForWork and calls the wake hook; any thread.
void Wake();

// Called from the queuing thread whenever a call is queued or Wake runs; the Qt
// event loop sets it to post a drain to itself.
void SetWakeHook(std::function<void()> hook);

// Number of calls waiting (for tests and diagnostics).
int PendingCount();

}  // namespace vela::handover
