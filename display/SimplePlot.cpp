#include "display/SimplePlot.h"

#include <algorithm>
#include <cmath>

#include "display/ClrFonts.h"
#include "display/RegionalSettings.h"

namespace vela {
namespace {

// Nearest pixel, halves to even; clamped so that no value can overflow int.
int RoundToPixel(double coordinate) {
  constexpr double kLimit = 1e6;
  return static_cast<int>(std::nearbyint(std::clamp(coordinate, -kLimit, kLimit)));
}

}  // namespace

TSimplePlot::TSimplePlot(const std::string& format, double minRange) {
  Reset(format, minRange);
}

void TSimplePlot::Reset(const std::string& format, double minRange) {
  FCount = 0;
  FLast = kPlotCapacity - 1;
  FFormat = format;
  FMinRange = minRange;
}

void TSimplePlot::Add(bool valid, double value) {
  if (FCount < kPlotCapacity) ++FCount;
  FLast = (FLast + 1) % kPlotCapacity;
  FValid[FLast] = valid && std::isfinite(value);
  FValues[FLast] = FValid[FLast] ? value : 0.0;
}

bool TSimplePlot::HasData() const {
  for (int i = 0; i < FCount; ++i) {
    if (FValid[i]) return true;
  }
  return false;
}

double TSimplePlot::MaxValue() const {
  bool found = false;
  double max = 0;
  for (int i = 0; i < FCount; ++i) {
    if (FValid[i] && (!found || FValues[i] > max)) max = FValues[i], found = true;
  }
  return max;
}

double TSimplePlot::MinValue() const {
  bool found = false;
  double min = 0;
  for (int i = 0; i < FCount; ++i) {
    if (FValid[i] && (!found || FValues[i] < min)) min = FValues[i], found = true;
  }
  return min;
}

void TSimplePlot::Draw(TCanvas& canvas, int left, int top, int width, int height) const {
  if (!CanDraw(width, height)) {
    canvas.SetBrushColor(clBlack);
    canvas.SetPenColor(clBlack);
    canvas.Rectangle({left, top, left + width, top + height});
    return;
  }
  if (!HasData()) return;
  const double min = MinValue();
  const double max = MaxValue();
  DrawCaptions(canvas, left, top, height, min, max);
  DrawTrace(canvas, left, top, width, height, min, max);
}

void TSimplePlot::DrawCaptions(TCanvas& canvas, int left, int top, int height, double min,
                               double max) const {
  canvas.SetBrushColor(kPanelGrey);
  const auto caption = [&](int y, const std::string& name, double value) {
    canvas.SetFont(LabelFont.WithColor(kPlotColor));
    canvas.TextOut(left, y, name);
    canvas.SetFont(ValueFont.WithColor(kPlotColor));
    // The caption's width is measured in the value font, as the value follows it.
    const int nameWidth = canvas.TextWidth(name);
    canvas.TextOut(left + nameWidth, y, FormatFixed(value, FFormat));
  };
  caption(top, "max: ", max);
  caption(top + height - 20, "min: ", min);
}

// Samples from the oldest to the newest; invalid samples break the line.
// The lowest value lies 24 pixels above the bottom, the highest 24 below the
// top; a span below the minimum range keeps the trace in a flat band.
void TSimplePlot::DrawTrace(TCanvas& canvas, int left, int top, int width, int height, double min,
                            double max) const {
  canvas.SetBrushColor(kPlotColor);
  canvas.SetPenColor(kPlotColor);
  canvas.SetPenWidth(3);
  const double xStep = width / static_cast<double>(kPlotCapacity - 1);
  // Halves keep the span finite for any finite min and max.
  const double halfSpan = std::max(max / 2 - min / 2, FMinRange / 2);
  const double usableHeight = height - 48;
  const double bottom = top + height - 24;
  bool drawing = false;
  for (int k = 0, i = OldestIndex(); k < FCount; ++k, i = (i + 1) % kPlotCapacity) {
    if (!FValid[i]) {
      drawing = false;
      continue;
    }
    const double fraction = halfSpan > 0 ? (FValues[i] / 2 - min / 2) / halfSpan : 0.0;
    const int x = RoundToPixel(left + k * xStep);
    const int y = RoundToPixel(bottom - fraction * usableHeight);
    if (!drawing) canvas.MoveTo(x, y);
    canvas.LineTo(x, y);
    drawing = true;
  }
  canvas.SetPenWidth(1);
}

}  // namespace vela
