#pragma once
// A canvas that draws nothing, for a window built without a drawing surface.

#include "ui/Canvas.h"

namespace vela {

class TNullCanvas : public TCanvas {
 public:
  void SetPenColor(TColor) override {}
  void SetPenWidth(int) override {}
  void SetBrushColor(TColor) override {}
  void SetBrushStyle(TBrushStyle) override {}
  void SetFont(const TFont&) override {}
  void TextOut(int, int, const std::string&) override {}
  int TextWidth(const std::string&) override { return 0; }
  int TextHeight(const std::string&) override { return 0; }
  void Rectangle(const TRect&) override {}
  void FillRect(const TRect&) override {}
  void RoundRect(const TRect&, int, int) override {}
  void MoveTo(int, int) override {}
  void LineTo(int, int) override {}
};

}  // namespace vela
