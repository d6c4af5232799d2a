#include "display/PhasorDiagram.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <sstream>
#include <vector>

namespace vela {
namespace {

const TFont kTextFont{"Arial", 9, fsRegular, clBlack};
const TFont kHeadFont{"Arial", 9, fsBold, clBlack};
const TFont kLabelFont{"Arial", 10, fsBold, clBlack};
constexpr TColor kWhite = 0xFFFFFF;
constexpr TColor kAxisColor = 0xD0D0D0;
constexpr TColor kFindingColor = RgbToColor(170, 0, 0);
constexpr int kDiagramSide = 360;
constexpr int kMargin = 10;
constexpr int kArrowHead = 10;

std::string Fixed(const char* format, double value) {
  char text[48];
  std::snprintf(text, sizeof text, format, std::round(value * 10) / 10 + 0.0);
  return text;
}

struct TPoint {
  int x, y;
};

TPoint At(TPoint centre, double length, double degrees) {
  const double a = degrees * std::numbers::pi / 180;
  return {centre.x + static_cast<int>(std::lround(length * std::cos(a))),
          centre.y - static_cast<int>(std::lround(length * std::sin(a)))};
}

void Arrow(TCanvas& canvas, TPoint centre, double length, double degrees) {
  const TPoint tip = At(centre, length, degrees);
  canvas.MoveTo(centre.x, centre.y);
  canvas.LineTo(tip.x, tip.y);
  for (double side : {150.0, -150.0}) {
    const TPoint end = At(tip, kArrowHead, degrees + side);
    canvas.MoveTo(tip.x, tip.y);
    canvas.LineTo(end.x, end.y);
  }
}

void DrawDiagram(TCanvas& canvas, const TWiringResult& result) {
  const TPoint centre{kDiagramSide / 2, kDiagramSide / 2};
  const double radius = kDiagramSide / 2 - 40;
  canvas.SetPenWidth(1);
  canvas.SetPenColor(kAxisColor);
  canvas.MoveTo(kMargin, centre.y);
  canvas.LineTo(kDiagramSide - kMargin, centre.y);
  canvas.MoveTo(centre.x, kMargin);
  canvas.LineTo(centre.x, kDiagramSide - kMargin);
  double longestU = 0, longestI = 0;
  for (const TPhasor& p : result.phasors) {
    (p.voltage ? longestU : longestI) = std::max(p.voltage ? longestU : longestI, p.magnitude);
  }
  canvas.SetFont(kLabelFont);
  canvas.SetBrushStyle(TBrushStyle::Clear);
  for (const TPhasor& p : result.phasors) {
    const double longest = p.voltage ? longestU : longestI;
    if (!p.degrees || longest <= 0) continue;
    // Voltages reach the circle, currents two thirds of it: each to its scale.
    const double length = p.magnitude / longest * radius * (p.voltage ? 1.0 : 0.66);
    const TColor color = PhaseColor(p.name.size() > 1 ? static_cast<char>(p.name[1] - 32) : 'A');
    canvas.SetPenColor(color);
    canvas.SetPenWidth(p.voltage ? 3 : 2);
    Arrow(canvas, centre, length, *p.degrees);
    const TPoint label = At(centre, length + 16, *p.degrees);
    canvas.SetFont(kLabelFont.WithColor(color));
    canvas.TextOut(label.x - canvas.TextWidth(p.name) / 2, label.y - canvas.TextHeight(p.name) / 2,
                   p.name);
  }
  canvas.SetPenWidth(1);
}

std::string MagnitudeText(const TPhasor& p) {
  char text[64];
  std::snprintf(text, sizeof text, p.voltage ? "%.2f В" : "%.4f А", p.magnitude);
  std::string line = p.name + " = " + text;
  line += p.degrees ? " ∠ " + Fixed("%.1f", *p.degrees) + "°" : ", угол неизвестен";
  return line;
}

// Words of text in lines no wider than width.
std::vector<std::string> Wrapped(TCanvas& canvas, const std::string& text, int width) {
  std::vector<std::string> lines;
  std::istringstream words(text);
  std::string word, line;
  while (words >> word) {
    const std::string longer = line.empty() ? word : line + " " + word;
    if (!line.empty() && canvas.TextWidth(longer) > width) {
      lines.push_back(line);
      line = word;
    } else {
      line = longer;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

class TColumn {
 public:
  TColumn(TCanvas& canvas, int x, int y, int width)
      : canvas_(canvas), x_(x), y_(y), width_(width) {}
  void Head(const std::string& text) {
    y_ += 4;
    Line(text, kHeadFont);
  }
  void Line(const std::string& text, const TFont& font = kTextFont) {
    canvas_.SetFont(font);
    for (const std::string& line : Wrapped(canvas_, text, width_)) {
      canvas_.TextOut(x_, y_, line);
      y_ += canvas_.TextHeight(line) + 2;
    }
  }

 private:
  TCanvas& canvas_;
  int x_, y_, width_;
};

}  // namespace

TColor PhaseColor(char phase) {
  switch (phase) {
    case 'A':
      return RgbToColor(200, 150, 0);
    case 'B':
      return RgbToColor(0, 140, 0);
    default:
      return RgbToColor(200, 0, 0);
  }
}

void DrawPhasorPicture(TCanvas& canvas, int width, int height, const TWiringResult* result) {
  canvas.SetBrushStyle(TBrushStyle::Solid);
  canvas.SetBrushColor(kWhite);
  canvas.FillRect({0, 0, width, height});
  canvas.SetBrushStyle(TBrushStyle::Clear);
  if (!result) {
    TColumn(canvas, kMargin, kMargin, width - 2 * kMargin)
        .Line("Нет показаний: прочитайте прибор (однократно или непрерывно).");
    return;
  }
  DrawDiagram(canvas, *result);
  TColumn side(canvas, kDiagramSide + kMargin, kMargin, width - kDiagramSide - 2 * kMargin);
  side.Line(result->fourWire ? "4-проводная сеть; Ua = 0°, порядок фаз A-B-C"
                             : "3-проводная сеть; Uab = 30°, порядок фаз A-B-C");
  side.Head("Векторы");
  for (const TPhasor& p : result->phasors) side.Line(MagnitudeText(p));
  side.Head("Углы");
  for (const TWiringAngle& angle : result->angles) {
    side.Line(angle.label + " = " + Fixed("%.1f", angle.degrees) + "°");
  }
  if (result->voltageUnbalance) {
    side.Line("Несимметрия U = " + Fixed("%.1f", *result->voltageUnbalance * 100) + " %");
  }
  if (result->currentUnbalance) {
    side.Line("Несимметрия I = " + Fixed("%.1f", *result->currentUnbalance * 100) + " %");
  }
  TColumn under(canvas, kMargin, kDiagramSide + kMargin, width - 2 * kMargin);
  under.Head(result->findings.empty() ? "Нарушений подключения не найдено." : "Нарушения:");
  for (const TWiringFinding& finding : result->findings) {
    under.Line("• " + finding.text, kTextFont.WithColor(kFindingColor));
  }
  for (const std::string& text : result->notChecked) under.Line("Не проверено: " + text);
}

}  // namespace vela
