#include "qt/QtKeyPreview.h"

#include <QApplication>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QToolTip>
#include <QWidget>

namespace vela {

QtKeyPreview::QtKeyPreview(QWidget& window, TForm1& form) : window_(window), form_(form) {
  qApp->installEventFilter(this);
}

QtKeyPreview::~QtKeyPreview() {
  qApp->removeEventFilter(this);
}

TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons) {
  TShiftState state = 0;
  if (modifiers & Qt::ShiftModifier) state |= ssShift;
  if (modifiers & Qt::AltModifier) state |= ssAlt;
  if (modifiers & Qt::ControlModifier) state |= ssCtrl;
  if (buttons & Qt::LeftButton) state |= ssLeft;
  if (buttons & Qt::RightButton) state |= ssRight;
  if (buttons & Qt::MiddleButton) state |= ssMiddle;
  return state;
}

bool QtKeyPreview::InWindow(QObject* watched) const {
  // Pop-up lists and dialogs are windows of their own and keep their keys.
  auto* widget = qobject_cast<QWidget*>(watched);
  return widget && widget->window() == &window_;
}

bool QtKeyPreview::PreviewKey(const QKeyEvent& key) {
  // Letters and Escape have the same codes in Qt as the form's virtual keys.
  const int code = key.key();
  if (code == Qt::Key_Escape || (code >= Qt::Key_A && code <= Qt::Key_Z)) {
    form_.FormKeyDown(static_cast<uint16_t>(code),
                      ShiftStateOf(key.modifiers(), QGuiApplication::mouseButtons()));
  }
  if (code == Qt::Key_Escape) {
    form_.FormKeyPress(static_cast<char>(kVkEscape));
    return true;  // the window has dealt with it
  }
  return false;
}

bool QtKeyPreview::eventFilter(QObject* watched, QEvent* event) {
  if (!InWindow(watched)) return false;
  if (event->type() == QEvent::KeyPress) {
    // Each key once: Qt passes a key the widget ignored on to its parents.
    auto* widget = static_cast<QWidget*>(watched);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool onItsWayUp = event == lastKey_ && key->timestamp() == lastTimestamp_ &&
                            lastTarget_ && widget != lastTarget_ &&
                            widget->isAncestorOf(lastTarget_);
    if (onItsWayUp) return false;
    lastKey_ = event;
    lastTimestamp_ = key->timestamp();
    lastTarget_ = widget;
    return PreviewKey(*key);
  }
  if (event->type() == QEvent::ToolTip) {
    auto* widget = static_cast<QWidget*>(watched);
    auto* help = static_cast<QHelpEvent*>(event);
    if (widget->toolTip().isEmpty()) return false;
    QToolTip::showText(help->globalPos(), widget->toolTip(), widget, QRect(),
                       TForm1::kHintHidePauseMs);
    return true;
  }
  return false;
}

}  // namespace vela
