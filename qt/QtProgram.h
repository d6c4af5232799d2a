#pragma once
// The running program: the seams of the main window over Qt and the system,
// the main window's logic, its Qt window and the options dialog, and the
// watcher of serial devices that keeps the port list current.

#include <QApplication>
#include <functional>
#include <memory>

#include "app/MainForm.h"
#include "common/Clock.h"
#include "qt/QtDialogs.h"
#include "qt/QtIecOptionsDialog.h"
#include "qt/QtMainWindow.h"
#include "qt/QtTimer.h"
#include "qt/QtTools.h"
#include "serial/PortWatcher.h"

namespace vela {

// Passes an exception that escapes an event handler to a handler instead of
// ending the program.
class QtApplication : public QApplication {
 public:
  QtApplication(int& argc, char** argv);
  bool notify(QObject* receiver, QEvent* event) override;
  std::function<void(const std::exception&)> OnException;
};

struct QtProgramOptions {
  QString bitmapFolder = ":/glyphs";
  bool debugConsole = true;
  bool watchPorts = true;
  TMessageBox* messageBox = nullptr;  // null: the Qt message box
  bool fastExchange = true;           // end an answer as soon as its frame is whole
};

class QtProgram {
 public:
  explicit QtProgram(const QtProgramOptions& options = {});
  ~QtProgram();

  // Start-up stopped (the glyph resources are missing): end at once.
  bool Failed() const { return form_->StartupFailed(); }
  TForm1& Form() { return *form_; }
  QtMainWindow& Window() { return *window_; }
  QtIecOptionsDialog& OptionsDialog() { return *optionsDialog_; }
  QtTools& Tools() { return *tools_; }

 private:
  TForm1Seams MakeSeams();
  void WatchPorts();

  QtProgramOptions options_;
  SystemClock clock_;
  QtTimerFactory timers_;
  QtSaveDialog saveDialog_;
  QtMessageBox messageBox_;
  QtBitmaps bitmaps_;
  std::unique_ptr<TForm1> form_;
  std::unique_ptr<QtMainWindow> window_;
  std::unique_ptr<QtTools> tools_;
  std::unique_ptr<QtIecOptionsDialog> optionsDialog_;
  std::unique_ptr<PortWatcher> portWatcher_;
};

}  // namespace vela
