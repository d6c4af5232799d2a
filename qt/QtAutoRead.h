#pragma once
// Runs the window without an operator: selects a port, presses "прочитать
// однократно" (or "читать непрерывно"), waits until the operation has ended,
// saves a picture of the window and ends the program. Used by scripts/run on
// a machine without a display, and by the measurements in bench/qt.

#include <QObject>
#include <QString>
#include <QTimer>
#include <string>

#include "app/MainForm.h"

class QWidget;

namespace vela {

struct QtAutoReadOptions {
  std::string port;         // empty: the port the window shows
  bool rs485 = false;       // the working interface instead of USB
  bool iec = false;         // over IEC 60870-5-101 (with rs485), options as the device has them
  bool readOnce = false;    // press "прочитать однократно"
  bool continuous = false;  // press "читать непрерывно"
  int runSeconds = 0;       // continuous: stop after this long (0: never)
  QString screenshot;       // where to save the picture (PNG)
  int timeoutMs = 30000;    // a single read that takes longer counts as failed
};

class QtAutoRead : public QObject {
 public:
  QtAutoRead(TForm1& form, QWidget& window, QtAutoReadOptions options);
  // Begins once the event loop runs.
  void Start();

 private:
  void Press();
  void ChooseLink();
  void Poll();
  void Finish();
  bool ReadSucceeded() const;

  TForm1& form_;
  QWidget& window_;
  QtAutoReadOptions options_;
  QTimer poll_;
  qint64 startedMs_ = 0;
};

// Selects the port named on the command line (nothing for an empty name); a
// port that is not there is said in the activity log.
void ChooseStartPort(TForm1& form, const std::string& port);

// Saves a picture of the widget as PNG; true on success.
bool SaveScreenshot(QWidget& widget, const QString& path);

}  // namespace vela
