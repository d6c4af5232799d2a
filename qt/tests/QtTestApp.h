#pragma once
// The Qt application of a test program, on the offscreen platform, and
// helpers to let its event loop run.

#include <QString>
#include <functional>

class QWidget;

namespace vela::test {

// Creates the application once (offscreen platform, no display needed).
void EnsureQtApplication();

// Runs the event loop until pred holds or ms pass; the final pred.
bool RunEventsUntil(const std::function<bool()>& pred, int ms);

// build/artifacts/<name>.png; written by the tests for a person to look at.
QString ArtifactPath(const QString& name);

}  // namespace vela::test
