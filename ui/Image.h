#pragma once
// A picture area with a drawing canvas. The front end gives it the canvas
// (a QPainter image, or a recording canvas in tests) and shows the picture
// again whenever Invalidate reports that it was drawn.

#include <functional>
#include <memory>

#include "ui/Canvas.h"
#include "ui/Control.h"

namespace vela {

class TImage : public TControl {
 public:
  using TControl::TControl;

  // Null until the front end installs one; drawing is skipped without it.
  TCanvas* Canvas() const { return canvas_.get(); }
  void SetCanvas(std::unique_ptr<TCanvas> canvas) {
    canvas_ = std::move(canvas);
    Changed();
  }
  // Called after drawing: the front end shows the new picture.
  void Invalidate() { Changed(); }

  // Pointer events, in image coordinates; set by the owner.
  std::function<void(int x, int y)> OnMouseMove;
  std::function<void()> OnClick;
  // Set by the owner that can paint the whole picture again; the front end
  // then draws it at the size it is shown instead of enlarging the pixels.
  std::function<void()> OnRepaint;
  void MouseMove(int x, int y) {
    if (Enabled() && OnMouseMove) OnMouseMove(x, y);
  }
  void Click() {
    if (Enabled() && OnClick) OnClick();
  }

 private:
  std::unique_ptr<TCanvas> canvas_;
};

}  // namespace vela
