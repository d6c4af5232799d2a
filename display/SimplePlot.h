#pragma once
// The trend plot of the zoom view: a ring of the last 200 samples of one
// quantity, drawn as a line scaled between its smallest and largest value.

#include <array>
#include <string>

#include "ui/Canvas.h"

namespace vela {

constexpr int kPlotCapacity = 200;
// Colour of the captions and the trace: a dark red-brown, 4.9:1 on the panel
// grey so the max and min texts read as well as the values.
constexpr TColor kPlotColor = 0x001555;

class TSimplePlot {
 public:
  TSimplePlot(const std::string& format, double minRange);

  // Forgets all samples.
  void Reset(const std::string& format, double minRange);
  // Appends a sample; once 200 are stored the oldest is overwritten. A value
  // that is not finite is stored as an invalid sample.
  void Add(bool valid, double value);

  bool HasData() const;
  // Largest and smallest valid sample; 0 without valid samples.
  double MaxValue() const;
  double MinValue() const;
  int Count() const { return FCount; }

  static bool CanDraw(int width, int height) { return width > 220 && height >= 23; }
  void Draw(TCanvas& canvas, int left, int top, int width, int height) const;

 private:
  int OldestIndex() const { return FCount == kPlotCapacity ? (FLast + 1) % kPlotCapacity : 0; }
  void DrawCaptions(TCanvas& canvas, int left, int top, int height, double min, double max) const;
  void DrawTrace(TCanvas& canvas, int left, int top, int width, int height, double min,
                 double max) const;

  std::array<double, kPlotCapacity> FValues{};
  std::array<bool, kPlotCapacity> FValid{};
  int FLast = kPlotCapacity - 1;
  int FCount = 0;
  std::string FFormat;
  double FMinRange;
};

}  // namespace vela
