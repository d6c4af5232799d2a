#include "app/WiringView.h"

#include <algorithm>

#include "display/PhasorDiagram.h"
#include "display/WiringAnalysis.h"

namespace vela {

TWiringView::TWiringView(const TMeasurementCells& cells, std::unique_ptr<TCanvas> canvas)
    : cells_(cells) {
  Image.SetWidth(kPhasorPictureWidth);
  Image.SetHeight(kPhasorPictureHeight);
  Image.SetVisible(false);
  Image.SetCanvas(std::move(canvas));
}

void TWiringView::Open() {
  Draw();
  Image.SetVisible(true);
}

void TWiringView::Refresh() {
  if (IsOpen()) Draw();
}

void TWiringView::Draw() {
  TCanvas* canvas = Image.Canvas();
  if (!canvas) return;
  const TReadingValues values = ValuesOf(cells_);
  const bool anyValue =
      std::any_of(values.begin(), values.end(), [](auto& v) { return v.has_value(); });
  if (anyValue) {
    const TWiringResult result = AnalyseWiring(values);
    DrawPhasorPicture(*canvas, kPhasorPictureWidth, kPhasorPictureHeight, &result);
  } else {
    DrawPhasorPicture(*canvas, kPhasorPictureWidth, kPhasorPictureHeight, nullptr);
  }
  Image.Invalidate();
}

}  // namespace vela
