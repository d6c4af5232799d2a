#pragma once
// The drawing surface of an image control, free of any toolkit. The logic
// draws the measurement panel through it; qt/ implements it with QPainter on
// an image, tests with a canvas that records every call.
//
// Conventions:
// - Colours are TColor values 0x00BBGGRR (blue in the high octet, red in the
//   low one), so 0x990000 is a dark blue and 0x003399 a dark orange-red.
// - Coordinates are pixels, origin top-left. Rectangles exclude their right
//   and bottom edges.
// - Texts are UTF-8.

#include <cstdint>
#include <string>

namespace vela {

// 0x00BBGGRR.
using TColor = uint32_t;

constexpr uint8_t RedOf(TColor c) {
  return static_cast<uint8_t>(c & 0xFF);
}
constexpr uint8_t GreenOf(TColor c) {
  return static_cast<uint8_t>((c >> 8) & 0xFF);
}
constexpr uint8_t BlueOf(TColor c) {
  return static_cast<uint8_t>((c >> 16) & 0xFF);
}
constexpr TColor RgbToColor(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}

constexpr TColor clBlack = 0x000000;

// A set of TFontStyle bits.
enum TFontStyle : uint8_t {
  fsRegular = 0,
  fsBold = 1,
  fsItalic = 2,
  fsUnderline = 4,
  fsStrikeOut = 8,
};

enum class TBrushStyle : uint8_t {
  Solid,  // fills shapes and the background of text
  Clear,  // shapes are not filled, text is drawn without background
};

struct TFont {
  std::string Name;  // face name, e.g. "Times New Roman"; the canvas may substitute
  int Size = 10;     // points
  uint8_t Style = fsRegular;
  TColor Color = clBlack;

  TFont WithColor(TColor color) const {
    TFont font = *this;
    font.Color = color;
    return font;
  }
  bool operator==(const TFont&) const = default;
};

struct TRect {
  int Left = 0, Top = 0, Right = 0, Bottom = 0;

  bool Contains(int x, int y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
  int Width() const { return Right - Left; }
  int Height() const { return Bottom - Top; }
  bool operator==(const TRect&) const = default;
};

class TCanvas {
 public:
  virtual ~TCanvas() = default;

  virtual void SetPenColor(TColor color) = 0;
  virtual void SetPenWidth(int width) = 0;
  virtual void SetBrushColor(TColor color) = 0;
  virtual void SetBrushStyle(TBrushStyle style) = 0;
  // Face, size, style and colour of the text drawn from now on.
  virtual void SetFont(const TFont& font) = 0;

  // Text with its top-left corner at (x, y); with a solid brush the text's
  // cell is filled with the brush colour first.
  virtual void TextOut(int x, int y, const std::string& text) = 0;
  // Extent of text in the current font.
  virtual int TextWidth(const std::string& text) = 0;
  virtual int TextHeight(const std::string& text) = 0;

  // Outline in the pen, inside filled with the brush.
  virtual void Rectangle(const TRect& rect) = 0;
  // Filled with the brush, no outline.
  virtual void FillRect(const TRect& rect) = 0;
  // Like Rectangle, corners rounded by ellipses of cornerWidth x cornerHeight.
  virtual void RoundRect(const TRect& rect, int cornerWidth, int cornerHeight) = 0;

  // Moves the pen position without drawing.
  virtual void MoveTo(int x, int y) = 0;
  // Line in the pen from the pen position to (x, y), which becomes the pen
  // position. A line to the pen position itself draws a dot of the pen width.
  virtual void LineTo(int x, int y) = 0;
};

}  // namespace vela
