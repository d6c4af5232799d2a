#pragma once
// The phasor diagram window's logic: a picture of the wiring check over the
// cells, drawn when the window opens and again whenever the cells change
// while it is open, so it follows continuous reading. The front end shows
// the window while Image is visible.

#include <memory>

#include "display/MeasurementCells.h"
#include "ui/Image.h"

namespace vela {

class TWiringView {
 public:
  TWiringView(const TMeasurementCells& cells, std::unique_ptr<TCanvas> canvas);

  TImage Image{"WiringImage"};

  void Open();
  void Close() { Image.SetVisible(false); }
  bool IsOpen() const { return Image.Visible(); }
  // The cells changed: drawn again when open.
  void Refresh();

 private:
  void Draw();

  const TMeasurementCells& cells_;
};

}  // namespace vela
