#pragma once
// The measurement panel: the overview of all cells, with the cell under the
// pointer highlighted, and the zoom view of one cell with its trend plot. The
// main window forwards the image's mouse events and the ESC key; the panel
// draws on the image's canvas.

#include <functional>

#include "display/MeasurementCells.h"
#include "display/SimplePlot.h"
#include "ui/Canvas.h"

namespace vela {

constexpr int kPanelWidth = 760;
constexpr int kPanelHeight = 185;
// Place of the trend plot in the zoom view.
constexpr TRect kPlotArea{420, 10, 420 + 322, 10 + 149};

class TMeasurementPanel {
 public:
  // background: colour of the group box around the image.
  TMeasurementPanel(TMeasurementCells& cells, TCanvas& canvas, TColor background);

  // Repaints the whole image. In the zoom view each call appends one sample
  // of the zoomed cell to the trend.
  void Redraw();
  // Repaints the whole image as it stands, adding no trend sample: for a
  // canvas that was made anew (a larger window).
  void Repaint();
  // Pointer moved over the image: highlights the cell under it, repainting
  // only the cells whose highlight changed.
  void MouseMove(int x, int y);
  // Click on the image: zooms into the highlighted cell, or leaves the zoom view.
  void Click();
  // ESC key: leaves the zoom view. False when not in the zoom view (the key
  // then belongs to the main window).
  bool EscapeKey();

  bool Zoomed() const { return FZoom; }
  bool Hover() const { return FHover; }
  int HoverIndex() const { return FHoverIndex; }
  const TSimplePlot& Plot() const { return FPlot; }

  // Called after every drawing, so the toolkit can show the changed image.
  std::function<void()> OnPainted;

 private:
  void DrawCell(int slot, bool highlight);
  // The frame's line again, over text that reached it (the bottom row).
  void DrawFrame();
  bool NearTheFrame(int slot) const;
  void Painted();

  TMeasurementCells& FCells;
  TCanvas& FCanvas;
  TColor FBackground;
  bool FHover = false;
  int FHoverIndex = 0;
  bool FZoom = false;
  TSimplePlot FPlot{"%.2f", 0.001};
};

}  // namespace vela
