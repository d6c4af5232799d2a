#pragma once
// The phasor diagram's own window beside the main one: the image of the
// wiring view, shown while the view is open; closing it closes the view.

#include <QDialog>

#include "app/WiringView.h"
#include "qt/QtBindings.h"

namespace vela {

class QtWiringWindow : public QDialog {
 public:
  QtWiringWindow(TWiringView& view, QWidget* parent);
  ~QtWiringWindow() override;

  ImageWidget& Image() { return *image_; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void FollowView();

  TWiringView& view_;
  ImageWidget* image_ = nullptr;
  int changedId_ = 0;
};

}  // namespace vela
