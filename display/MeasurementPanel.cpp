#include "display/MeasurementPanel.h"

#include "display/ClrFonts.h"

namespace vela {

TMeasurementPanel::TMeasurementPanel(TMeasurementCells& cells, TCanvas& canvas, TColor background)
    : FCells(cells), FCanvas(canvas), FBackground(background) {}

void TMeasurementPanel::Redraw() {
  if (FZoom) {
    const TClrValue& cell = FCells[FHoverIndex];
    FPlot.Add(cell.State() == cvsValue, cell.Value());
  }
  Repaint();
}

void TMeasurementPanel::Repaint() {
  const TRect whole{0, 0, kPanelWidth, kPanelHeight};
  FCanvas.SetBrushColor(FBackground);
  FCanvas.SetPenColor(FBackground);
  FCanvas.FillRect(whole);
  FCanvas.SetBrushColor(kPanelGrey);
  FCanvas.SetPenColor(clBlack);
  FCanvas.RoundRect(whole, 10, 10);
  if (FZoom) {
    const TClrValue& cell = FCells[FHoverIndex];
    cell.DrawLarge(FCanvas);
    FPlot.Draw(FCanvas, kPlotArea.Left, kPlotArea.Top, kPlotArea.Width(), kPlotArea.Height());
  } else {
    for (int slot = 0; slot < kSlotCount; ++slot) DrawCell(slot, FHover && slot == FHoverIndex);
  }
  DrawFrame();
  Painted();
}

void TMeasurementPanel::MouseMove(int x, int y) {
  if (FZoom) return;
  const int previous = FHover ? FHoverIndex : -1;
  FHover = false;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (FCells.CellRect(slot).Contains(x, y)) {
      FHover = true;
      FHoverIndex = slot;
      break;
    }
  }
  const int current = FHover ? FHoverIndex : -1;
  if (current == previous) return;
  if (previous >= 0) DrawCell(previous, false);
  if (current >= 0) DrawCell(current, true);
  if (NearTheFrame(previous) || NearTheFrame(current)) DrawFrame();
  Painted();
}

void TMeasurementPanel::Click() {
  if (FZoom) {
    FZoom = false;
  } else if (FHover) {
    FZoom = true;
    FPlot.Reset(FCells[FHoverIndex].Format(), TMeasurementCells::CellMinRange(FHoverIndex));
  }
  Redraw();
}

bool TMeasurementPanel::EscapeKey() {
  if (!FZoom) return false;
  FZoom = false;
  Redraw();
  return true;
}

// The text of a cell is drawn on the panel grey, so a repaint covers the old one.
void TMeasurementPanel::DrawCell(int slot, bool highlight) {
  FCanvas.SetBrushColor(kPanelGrey);
  FCells[slot].Draw(FCanvas, highlight);
}

bool TMeasurementPanel::NearTheFrame(int slot) const {
  // The text of the bottom row reaches below its hit rectangle.
  constexpr int kTextBelowHit = 8;
  return slot >= 0 && FCells.CellRect(slot).Bottom + kTextBelowHit >= kPanelHeight - 1;
}

void TMeasurementPanel::DrawFrame() {
  FCanvas.SetBrushStyle(TBrushStyle::Clear);
  FCanvas.SetPenColor(clBlack);
  FCanvas.RoundRect({0, 0, kPanelWidth, kPanelHeight}, 10, 10);
  FCanvas.SetBrushStyle(TBrushStyle::Solid);
}

void TMeasurementPanel::Painted() {
  if (OnPainted) OnPainted();
}

}  // namespace vela
