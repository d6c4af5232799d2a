#include "qt/QtFocusKeeper.h"

#include <QPointer>
#include <QWidget>

namespace vela {
namespace {

// The widget whose focus waits on its window; one at a time is enough, as
// only the window's own widget holds the focus.
QPointer<QWidget>& Parked() {
  static QPointer<QWidget> parked;
  return parked;
}

}  // namespace

void SetEnabledKeepingFocus(QWidget& widget, bool enabled) {
  QWidget* window = widget.window();
  if (!enabled && window != &widget && window->focusWidget() == &widget) {
    Parked() = &widget;
    window->setFocus(Qt::OtherFocusReason);
  }
  widget.setEnabled(enabled);
  if (enabled && Parked() == &widget) {
    QWidget* now = window->focusWidget();
    if (now == nullptr || now == window) widget.setFocus(Qt::OtherFocusReason);
    if (widget.isEnabled()) Parked() = nullptr;
  }
}

}  // namespace vela
