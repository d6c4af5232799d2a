#include "qt/tests/QtTestApp.h"

#include <unistd.h>

#include <QDir>

#include "qt/QtEventWait.h"
#include "qt/QtProgram.h"

namespace vela::test {

void EnsureQtApplication() {
  if (QCoreApplication::instance()) return;
  qputenv("QT_QPA_PLATFORM", "offscreen");
  if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
    const QString runtime = QDir::tempPath() + "/velalink-qt-tests-" + QString::number(getuid());
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
  }
  static int argc = 1;
  static char name[] = "qt_tests";
  static char* argv[] = {name, nullptr};
  new QtApplication(argc, argv);  // lives until the test program ends
}

bool RunEventsUntil(const std::function<bool()>& pred, int ms) {
  return vela::RunEventsUntil(pred, ms);  // the window's own wait
}

QString ArtifactPath(const QString& name) {
  const QString folder = QString(VELALINK_BINARY_DIR) + "/artifacts";
  QDir().mkpath(folder);
  return folder + "/" + name + ".png";
}

}  // namespace vela::test
