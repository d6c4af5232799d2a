#pragma once
// The drawing canvas over QPainter on an image that the image widget shows.

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QPoint>

#include "ui/Canvas.h"

namespace vela {

class QtCanvas : public TCanvas {
 public:
  QtCanvas(int width, int height);

  const QImage& Image() const { return image_; }
  // Draws from now on at `scale` device pixels per canvas pixel, on a new
  // blank image, so text and lines stay sharp when shown enlarged. The
  // canvas coordinates stay as they are.
  void SetScale(double scale);
  double Scale() const { return image_.devicePixelRatio(); }

  void SetPenColor(TColor color) override;
  void SetPenWidth(int width) override;
  void SetBrushColor(TColor color) override;
  void SetBrushStyle(TBrushStyle style) override;
  void SetFont(const TFont& font) override;
  void TextOut(int x, int y, const std::string& text) override;
  int TextWidth(const std::string& text) override;
  int TextHeight(const std::string& text) override;
  void Rectangle(const TRect& rect) override;
  void FillRect(const TRect& rect) override;
  void RoundRect(const TRect& rect, int cornerWidth, int cornerHeight) override;
  void MoveTo(int x, int y) override;
  void LineTo(int x, int y) override;

  // The Qt font for a face name: Lucida Console falls back to a monospaced
  // face, the others to their metric twins through fontconfig.
  static QFont MakeFont(const std::string& name, int pointSize, uint8_t style);

 private:
  void ApplyPen();
  void ApplyBrush();

  const int width_;
  const int height_;
  QImage image_;
  QPainter painter_;
  TColor penColor_ = 0;
  int penWidth_ = 1;
  TColor brushColor_ = 0xFFFFFF;
  TBrushStyle brushStyle_ = TBrushStyle::Solid;
  TColor fontColor_ = 0;
  QPoint penPos_;
};

QColor ToQColor(TColor color);

// Pixels of a font size in points at 96 dots per inch.
int PointsToPixels(int points);

// The window font's output quality: antialiased, natural widths, light
// vertical hinting.
void SetFontQuality(QFont& font);

// The font of the windows: Arial 16 pixels (Liberation Sans stands in), with
// the output quality of SetFontQuality.
QFont WindowFont();

}  // namespace vela
