#include "qt/QtWiringWindow.h"

#include <QCloseEvent>

namespace vela {

QtWiringWindow::QtWiringWindow(TWiringView& view, QWidget* parent) : QDialog(parent), view_(view) {
  setWindowTitle(QString::fromUtf8("Векторная диаграмма"));
  setModal(false);
  view_.Image.SetLeft(0);
  view_.Image.SetTop(0);
  image_ = new ImageWidget(view_.Image, this);
  setFixedSize(view_.Image.Width(), view_.Image.Height());
  changedId_ = view_.Image.OnChanged.Add([this](TControl&) { FollowView(); });
  FollowView();
}

QtWiringWindow::~QtWiringWindow() {
  view_.Image.OnChanged.Remove(changedId_);
}

void QtWiringWindow::FollowView() {
  if (view_.IsOpen() == isVisible()) return;
  if (view_.IsOpen()) {
    show();
    raise();
  } else {
    hide();
  }
}

void QtWiringWindow::closeEvent(QCloseEvent* event) {
  view_.Close();
  QDialog::closeEvent(event);
}

}  // namespace vela
