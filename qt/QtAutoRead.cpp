#include "qt/QtAutoRead.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QWidget>
#include <cstdio>

#include "app/Messages.h"

namespace vela {

bool SaveScreenshot(QWidget& widget, const QString& path) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  return widget.grab().save(path, "PNG");
}

void ChooseStartPort(TForm1& form, const std::string& port) {
  if (!port.empty() && !form.ChoosePort(port)) form.Log("Порт " + port + " не найден.");
}

QtAutoRead::QtAutoRead(TForm1& form, QWidget& window, QtAutoReadOptions options)
    : form_(form), window_(window), options_(std::move(options)) {
  poll_.setInterval(50);
  QObject::connect(&poll_, &QTimer::timeout, this, [this] { Poll(); });
}

void QtAutoRead::Start() {
  QTimer::singleShot(0, this, [this] { Press(); });
}

void QtAutoRead::Press() {
  ChooseStartPort(form_, options_.port);
  ChooseLink();
  startedMs_ = QDateTime::currentMSecsSinceEpoch();
  if (options_.continuous) {
    form_.Button5.Click();
  } else if (options_.readOnce) {
    form_.Button4.Click();
  }
  poll_.start();
}

namespace {

// Confirms the IEC options as loaded, as an operator pressing OK would.
class TAcceptingIecDialog : public TIecOptionsDialog {
 public:
  bool Execute(TIecOptionsMode, TIecOptions&) override { return true; }
};

}  // namespace

void QtAutoRead::ChooseLink() {
  if (options_.rs485) form_.cbInterfaceType.Choose(1);
  if (!options_.iec) return;
  TAcceptingIecDialog accept;
  TIecOptionsDialog* shown = form_.SetIecOptionsDialog(&accept);
  form_.ComboBox2.Choose(2);
  form_.SetIecOptionsDialog(shown);
  if (!form_.Engine().FIec) form_.Log("Режим IEC 60870-5-101 не включён.");
}

void QtAutoRead::Poll() {
  const qint64 elapsed = QDateTime::currentMSecsSinceEpoch() - startedMs_;
  if (options_.continuous) {
    if (options_.runSeconds > 0 && elapsed >= options_.runSeconds * 1000LL) {
      if (form_.Engine().FContinuousRunning) form_.Button5.Click();  // stop
      if (!form_.Engine().FBusy) Finish();
    }
    return;
  }
  if (form_.Engine().FBusy && elapsed < options_.timeoutMs) return;
  if (form_.Engine().FBusy) form_.CancelOperation();
  Finish();
}

bool QtAutoRead::ReadSucceeded() const {
  for (const std::string& line : form_.Memo1.Lines()) {
    if (line == msg::kReadDone) return true;
  }
  return false;
}

void QtAutoRead::Finish() {
  poll_.stop();
  const bool ok = options_.continuous || ReadSucceeded();
  if (!ok) {
    std::fprintf(stderr, "velalink: чтение не выполнено:\n");
    for (const std::string& line : form_.Memo1.Lines())
      std::fprintf(stderr, "  %s\n", line.c_str());
  }
  if (!options_.screenshot.isEmpty()) {
    QCoreApplication::processEvents();
    if (SaveScreenshot(window_, options_.screenshot)) {
      std::printf("screenshot: %s\n",
                  QFileInfo(options_.screenshot).absoluteFilePath().toLocal8Bit().constData());
    } else {
      std::fprintf(stderr, "velalink: не удалось сохранить снимок окна в %s\n",
                   options_.screenshot.toLocal8Bit().constData());
    }
  }
  std::fflush(stdout);
  QCoreApplication::exit(ok ? 0 : 1);
}

}  // namespace vela
