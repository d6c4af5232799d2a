#include "qt/QtHandOver.h"

#include <QCoreApplication>
#include <QMetaObject>

#include "common/HandOver.h"

namespace vela {

void InstallQtHandOver() {
  handover::BindGuiThread();
  handover::SetWakeHook([] {
    if (QCoreApplication* app = QCoreApplication::instance()) {
      QMetaObject::invokeMethod(
          app, [] { handover::Drain(); }, Qt::QueuedConnection);
    }
  });
}

}  // namespace vela
