#pragma once
// Waiting in the window's thread while its events go on: an operation or a
// search started from a dialog is waited for so, and Cancel stays live.

#include <functional>

namespace vela {

// Processes the window's events until done holds or ms pass; true when done holds.
bool RunEventsUntil(const std::function<bool()>& done, int ms);

}  // namespace vela
