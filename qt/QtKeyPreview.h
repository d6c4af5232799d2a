#pragma once
// Key preview and hints of the main window. An application-wide event filter
// gives every key pressed in the main window to TForm1::FormKeyDown and
// FormKeyPress before the focused widget sees it, and shows a widget's hint
// for 30 seconds.

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "app/MainForm.h"

class QKeyEvent;

namespace vela {

class QtKeyPreview : public QObject {
 public:
  QtKeyPreview(QWidget& window, TForm1& form);
  ~QtKeyPreview() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool InWindow(QObject* watched) const;
  bool PreviewKey(const QKeyEvent& key);

  QWidget& window_;
  TForm1& form_;
  // The key last previewed, to recognise it when Qt hands it to the parents.
  const QEvent* lastKey_ = nullptr;
  quint64 lastTimestamp_ = 0;
  QPointer<QWidget> lastTarget_;
};

// Modifier keys and mouse buttons as the form's shift state.
TShiftState ShiftStateOf(Qt::KeyboardModifiers modifiers, Qt::MouseButtons buttons);

}  // namespace vela
