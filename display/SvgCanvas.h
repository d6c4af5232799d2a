#pragma once
// A canvas that writes SVG elements, for pictures inside an HTML report.
// Text metrics are estimates (the browser lays the text out): a character
// is 0.55 of the font's pixel size wide, a line 1.25 of it high.

#include <string>

#include "ui/Canvas.h"

namespace vela {

class TSvgCanvas : public TCanvas {
 public:
  TSvgCanvas(int width, int height) : width_(width), height_(height) {}

  // The <svg> element with everything drawn so far.
  std::string Svg() const;

  void SetPenColor(TColor color) override { penColor_ = color; }
  void SetPenWidth(int width) override { penWidth_ = width; }
  void SetBrushColor(TColor color) override { brushColor_ = color; }
  void SetBrushStyle(TBrushStyle style) override { brushStyle_ = style; }
  void SetFont(const TFont& font) override { font_ = font; }
  void TextOut(int x, int y, const std::string& text) override;
  int TextWidth(const std::string& text) override;
  int TextHeight(const std::string& text) override;
  void Rectangle(const TRect& rect) override;
  void FillRect(const TRect& rect) override;
  void RoundRect(const TRect& rect, int cornerWidth, int cornerHeight) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;

 private:
  double PixelSize() const { return font_.Size * 4.0 / 3.0; }
  void Box(const TRect& rect, bool outline, int corner);

  int width_, height_;
  std::string body_;
  TColor penColor_ = clBlack;
  int penWidth_ = 1;
  TColor brushColor_ = 0xFFFFFF;
  TBrushStyle brushStyle_ = TBrushStyle::Solid;
  TFont font_;
  int penX_ = 0, penY_ = 0;
};

}  // namespace vela
