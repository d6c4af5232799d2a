#include "qt/QtEventWait.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

namespace vela {

bool RunEventsUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer elapsed;
  elapsed.start();
  QTimer wake;  // WaitForMoreEvents returns at least this often
  wake.start(10);
  while (!done() && elapsed.elapsed() < ms) {
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  }
  return done();
}

}  // namespace vela
