#pragma once
// The Qt application of a test program, on the offscreen platform, and
// helpers to let its event loop run.

#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "qt/QtProgram.h"
#include "ui/Dialogs.h"

class QWidget;

namespace vela::test {

// Creates the application once (offscreen platform, no display needed).
void EnsureQtApplication();

// Runs the event loop until pred holds or ms pass; the final pred.
bool RunEventsUntil(const std::function<bool()>& pred, int ms);

// build/artifacts/<name>.png; written by the tests for a person to look at.
QString ArtifactPath(const QString& name);

// The program without the debug console and the port watcher.
inline QtProgramOptions Quiet() {
  QtProgramOptions options;
  options.debugConsole = false;
  options.watchPorts = false;
  return options;
}

// Records what would be shown, as "caption|text".
class RecordingMessageBox : public TMessageBox {
 public:
  void Show(const std::string& caption, const std::string& text) override {
    shown.push_back(caption + "|" + text);
  }
  bool Ask(const std::string& caption, const std::string& text) override {
    asked.push_back(caption + "|" + text);
    return answer;
  }
  std::vector<std::string> shown, asked;
  bool answer = true;
};

}  // namespace vela::test
