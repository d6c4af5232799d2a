#pragma once
// A canvas that records every drawing call together with the pen, brush and
// font in force, for tests and benchmarks. Text metrics are fixed: each
// character is Size * 6 / 10 pixels wide, a line Size * 4 / 3 pixels high.

#include <string>
#include <vector>

#include "ui/Canvas.h"

namespace vela::test {

enum class TOpKind { Text, Rectangle, FillRect, RoundRect, MoveTo, LineTo };

struct TCanvasOp {
  TOpKind Kind = TOpKind::Text;
  int X = 0, Y = 0;  // text origin or line point
  TRect Rect;        // rectangle ops
  std::string Text;
  TFont Font;
  TColor BrushColor = 0xFFFFFF;
  TColor PenColor = clBlack;
  int PenWidth = 1;
};

class TRecordingCanvas : public TCanvas {
 public:
  void SetPenColor(TColor color) override { FPenColor = color; }
  void SetPenWidth(int width) override { FPenWidth = width; }
  void SetBrushColor(TColor color) override { FBrushColor = color; }
  void SetBrushStyle(TBrushStyle style) override { FBrushStyle = style; }
  void SetFont(const TFont& font) override { FFont = font; }

  void TextOut(int x, int y, const std::string& text) override {
    TCanvasOp op = At(TOpKind::Text, x, y);
    op.Text = text;
    Record(std::move(op));
  }
  int TextWidth(const std::string& text) override {
    return CodePoints(text) * (FFont.Size * 6 / 10);
  }
  int TextHeight(const std::string&) override { return FFont.Size * 4 / 3; }
  void Rectangle(const TRect& rect) override { Record(Of(TOpKind::Rectangle, rect)); }
  void FillRect(const TRect& rect) override { Record(Of(TOpKind::FillRect, rect)); }
  void RoundRect(const TRect& rect, int, int) override { Record(Of(TOpKind::RoundRect, rect)); }
  void MoveTo(int x, int y) override { Record(At(TOpKind::MoveTo, x, y)); }
  void LineTo(int x, int y) override { Record(At(TOpKind::LineTo, x, y)); }

  const std::vector<TCanvasOp>& Ops() const { return FOps; }
  void Clear() { FOps.clear(); }
  std::vector<TCanvasOp> Texts() const { return OfKind(TOpKind::Text); }
  std::vector<TCanvasOp> OfKind(TOpKind kind) const {
    std::vector<TCanvasOp> result;
    for (const TCanvasOp& op : FOps) {
      if (op.Kind == kind) result.push_back(op);
    }
    return result;
  }
  int PenWidth() const { return FPenWidth; }
  TBrushStyle BrushStyle() const { return FBrushStyle; }

  static int CodePoints(const std::string& text) {
    int count = 0;
    for (unsigned char c : text) count += (c & 0xC0) != 0x80;
    return count;
  }

 private:
  static TCanvasOp At(TOpKind kind, int x, int y) {
    TCanvasOp op;
    op.Kind = kind;
    op.X = x;
    op.Y = y;
    return op;
  }
  static TCanvasOp Of(TOpKind kind, const TRect& rect) {
    TCanvasOp op = At(kind, 0, 0);
    op.Rect = rect;
    return op;
  }
  void Record(TCanvasOp op) {
    op.Font = FFont;
    op.BrushColor = FBrushColor;
    op.PenColor = FPenColor;
    op.PenWidth = FPenWidth;
    FOps.push_back(std::move(op));
  }

  std::vector<TCanvasOp> FOps;
  TFont FFont;
  TColor FBrushColor = 0xFFFFFF;
  TColor FPenColor = clBlack;
  int FPenWidth = 1;
  TBrushStyle FBrushStyle = TBrushStyle::Solid;
};

}  // namespace vela::test
