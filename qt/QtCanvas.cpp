#include "qt/QtCanvas.h"

#include <QFontMetrics>
#include <QPen>
#include <algorithm>

namespace vela {

QColor ToQColor(TColor color) {
  return QColor(RedOf(color), GreenOf(color), BlueOf(color));
}

QtCanvas::QtCanvas(int width, int height)
    : width_(width), height_(height), image_(width, height, QImage::Format_RGB32) {
  image_.fill(Qt::white);
  painter_.begin(&image_);
  ApplyPen();
  ApplyBrush();
}

void QtCanvas::SetScale(double scale) {
  scale = std::max(1.0, scale);
  if (scale == Scale()) return;
  const QFont font = painter_.font();
  painter_.end();
  // Whole device pixels inside the canvas, and drawing clipped to it: a line
  // just outside the canvas must not show in a part pixel at its edge.
  image_ = QImage(static_cast<int>(width_ * scale + 0.001),
                  static_cast<int>(height_ * scale + 0.001), QImage::Format_RGB32);
  image_.setDevicePixelRatio(scale);
  image_.fill(Qt::white);
  painter_.begin(&image_);
  painter_.setClipRect(QRect(0, 0, width_, height_));
  painter_.setFont(font);
  ApplyPen();
  ApplyBrush();
}

QFont QtCanvas::MakeFont(const std::string& name, int pointSize, uint8_t style) {
  QFont font(QString::fromStdString(name));
  if (name == "Lucida Console" || name == "Courier New") {
    font.setStyleHint(QFont::Monospace);
    font.setFamilies(
        {QString::fromStdString(name), "DejaVu Sans Mono", "Liberation Mono", "monospace"});
  } else if (name == "Times New Roman") {
    font.setStyleHint(QFont::Serif);
  } else {
    font.setStyleHint(QFont::SansSerif);
  }
  // Points at 96 dots per inch, so that the panel's layout in pixels does not
  // depend on the screen's resolution.
  font.setPixelSize(PointsToPixels(pointSize > 0 ? pointSize : 10));
  font.setBold(style & fsBold);
  font.setItalic(style & fsItalic);
  font.setUnderline(style & fsUnderline);
  font.setStrikeOut(style & fsStrikeOut);
  return font;
}

int PointsToPixels(int points) {
  return (points * 96 + 36) / 72;
}

void SetFontQuality(QFont& font) {
  // Antialiased glyphs with natural (unhinted) advances and light vertical
  // hinting: the counterpart of ClearType natural quality.
  font.setStyleStrategy(QFont::PreferAntialias);
  font.setHintingPreference(QFont::PreferVerticalHinting);
}

QFont WindowFont() {
  QFont font("Arial");
  font.setFamilies({"Arial", "Liberation Sans", "DejaVu Sans"});
  font.setStyleHint(QFont::SansSerif);
  font.setPixelSize(16);
  SetFontQuality(font);
  return font;
}

void QtCanvas::ApplyPen() {
  QPen pen(ToQColor(penColor_));
  pen.setWidth(penWidth_);
  painter_.setPen(pen);
}

void QtCanvas::ApplyBrush() {
  if (brushStyle_ == TBrushStyle::Solid) {
    painter_.setBrush(ToQColor(brushColor_));
  } else {
    painter_.setBrush(Qt::NoBrush);
  }
}

void QtCanvas::SetPenColor(TColor color) {
  penColor_ = color;
  ApplyPen();
}

void QtCanvas::SetPenWidth(int width) {
  penWidth_ = width < 1 ? 1 : width;
  ApplyPen();
}

void QtCanvas::SetBrushColor(TColor color) {
  brushColor_ = color;
  brushStyle_ = TBrushStyle::Solid;
  ApplyBrush();
}

void QtCanvas::SetBrushStyle(TBrushStyle style) {
  brushStyle_ = style;
  ApplyBrush();
}

void QtCanvas::SetFont(const TFont& font) {
  painter_.setFont(MakeFont(font.Name, font.Size, font.Style));
  fontColor_ = font.Color;
}

void QtCanvas::TextOut(int x, int y, const std::string& text) {
  const QString qtext = QString::fromStdString(text);
  const QFontMetrics metrics(painter_.font());
  const QRect cell(x, y, metrics.horizontalAdvance(qtext), metrics.height());
  if (brushStyle_ == TBrushStyle::Solid) painter_.fillRect(cell, ToQColor(brushColor_));
  painter_.save();
  painter_.setPen(ToQColor(fontColor_));
  painter_.drawText(QPoint(x, y + metrics.ascent()), qtext);
  painter_.restore();
}

namespace {
int TextExtent(const QFont& font, const std::string& text, bool width) {
  const QFontMetrics metrics(font);
  return width ? metrics.horizontalAdvance(QString::fromStdString(text)) : metrics.height();
}
}  // namespace

int QtCanvas::TextWidth(const std::string& text) {
  return TextExtent(painter_.font(), text, true);
}

int QtCanvas::TextHeight(const std::string& text) {
  return TextExtent(painter_.font(), text, false);
}

void QtCanvas::Rectangle(const TRect& rect) {
  // The outline lies inside the rectangle, right and bottom edges excluded.
  painter_.drawRect(QRect(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1));
}

void QtCanvas::FillRect(const TRect& rect) {
  painter_.fillRect(QRect(rect.Left, rect.Top, rect.Width(), rect.Height()), ToQColor(brushColor_));
}

void QtCanvas::RoundRect(const TRect& rect, int cornerWidth, int cornerHeight) {
  painter_.drawRoundedRect(QRect(rect.Left, rect.Top, rect.Width() - 1, rect.Height() - 1),
                           cornerWidth / 2.0, cornerHeight / 2.0);
}

void QtCanvas::MoveTo(int x, int y) {
  penPos_ = QPoint(x, y);
}

void QtCanvas::LineTo(int x, int y) {
  const QPoint to(x, y);
  if (to == penPos_) {
    painter_.drawPoint(to);
  } else {
    painter_.drawLine(penPos_, to);
  }
  penPos_ = to;
}

}  // namespace vela
