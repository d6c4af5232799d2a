#include "display/SvgCanvas.h"

#include <cmath>
#include <cstdio>

namespace vela {
namespace {

std::string Colour(TColor c) {
  char text[8];
  std::snprintf(text, sizeof text, "#%02x%02x%02x", RedOf(c), GreenOf(c), BlueOf(c));
  return text;
}

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '&') {
      out += "&amp;";
    } else if (c == '<') {
      out += "&lt;";
    } else if (c == '>') {
      out += "&gt;";
    } else if (c == '"') {
      out += "&quot;";
    } else {
      out += c;
    }
  }
  return out;
}

int CodePoints(const std::string& text) {
  int count = 0;
  for (unsigned char c : text) count += (c & 0xC0) != 0x80;
  return count;
}

}  // namespace

std::string TSvgCanvas::Svg() const {
  const std::string w = std::to_string(width_), h = std::to_string(height_);
  return "<svg width=\"" + w + "\" height=\"" + h + "\" viewBox=\"0 0 " + w + " " + h +
         "\" font-family=\"Liberation Sans, DejaVu Sans, Arial, sans-serif\">\n" + body_ +
         "</svg>\n";
}

void TSvgCanvas::TextOut(int x, int y, const std::string& text) {
  char place[96];
  std::snprintf(place, sizeof place, "<text x=\"%d\" y=\"%.1f\" font-size=\"%.1f\"", x,
                y + PixelSize(), PixelSize());
  body_ += place;
  if (font_.Style & fsBold) body_ += " font-weight=\"bold\"";
  body_ += " fill=\"" + Colour(font_.Color) + "\">" + Escaped(text) + "</text>\n";
}

int TSvgCanvas::TextWidth(const std::string& text) {
  return static_cast<int>(std::lround(CodePoints(text) * PixelSize() * 0.55));
}

int TSvgCanvas::TextHeight(const std::string&) {
  return static_cast<int>(std::lround(PixelSize() * 1.25));
}

void TSvgCanvas::Box(const TRect& rect, bool outline, int corner) {
  char shape[128];
  std::snprintf(shape, sizeof shape, "<rect x=\"%d\" y=\"%d\" width=\"%d\" height=\"%d\" rx=\"%d\"",
                rect.Left, rect.Top, rect.Width(), rect.Height(), corner / 2);
  body_ += shape;
  body_ += " fill=\"" +
           (brushStyle_ == TBrushStyle::Solid ? Colour(brushColor_) : std::string("none")) + "\"";
  if (outline) {
    body_ +=
        " stroke=\"" + Colour(penColor_) + "\" stroke-width=\"" + std::to_string(penWidth_) + "\"";
  }
  body_ += "/>\n";
}

void TSvgCanvas::Rectangle(const TRect& rect) {
  Box(rect, true, 0);
}

void TSvgCanvas::FillRect(const TRect& rect) {
  Box(rect, false, 0);
}

void TSvgCanvas::RoundRect(const TRect& rect, int cornerWidth, int) {
  Box(rect, true, cornerWidth);
}

void TSvgCanvas::MoveTo(int x, int y) {
  penX_ = x;
  penY_ = y;
}

void TSvgCanvas::LineTo(int x, int y) {
  char line[160];
  std::snprintf(line, sizeof line,
                "<line x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\" stroke=\"%s\" stroke-width=\"%d\" "
                "stroke-linecap=\"round\"/>\n",
                penX_, penY_, x, y, Colour(penColor_).c_str(), penWidth_);
  body_ += line;
  MoveTo(x, y);
}

}  // namespace vela
