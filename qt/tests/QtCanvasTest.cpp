// The QPainter canvas: what the panel draws reaches the image, Cyrillic text
// included, and values that are not finite never reach the pixel arithmetic.

#include <gtest/gtest.h>

#include <QImage>
#include <cmath>
#include <limits>

#include "display/ClrFonts.h"
#include "display/MeasurementCells.h"
#include "display/MeasurementPanel.h"
#include "display/SimplePlot.h"
#include "qt/QtCanvas.h"
#include "qt/tests/QtTestApp.h"

namespace vela {
namespace {

constexpr TColor kBackground = 0xF0F0F0;

// Pixels in rect whose colour differs from colour.
int PixelsOtherThan(const QImage& image, const QRect& rect, const QColor& colour) {
  int count = 0;
  for (int y = rect.top(); y <= rect.bottom(); ++y) {
    for (int x = rect.left(); x <= rect.right(); ++x) count += image.pixelColor(x, y) != colour;
  }
  return count;
}

class QtCanvasTest : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureQtApplication(); }
};

TEST_F(QtCanvasTest, CyrillicTextIsDrawnWithTheBrushBehindIt) {
  QtCanvas canvas(200, 40);
  canvas.SetBrushColor(kPanelGrey);
  canvas.SetFont(LabelFont.WithColor(clBlack));
  canvas.TextOut(2, 2, "Гц вар ВА");
  const int width = canvas.TextWidth("Гц вар ВА");
  EXPECT_GT(width, 40);
  EXPECT_GT(canvas.TextWidth("Гц вар ВА"), canvas.TextWidth("Гц"));
  const QRect cell(2, 2, width, canvas.TextHeight("Гц"));
  // Black glyphs on grey, nothing left white inside the text's cell.
  EXPECT_GT(PixelsOtherThan(canvas.Image(), cell, ToQColor(kPanelGrey)), 50);
  EXPECT_EQ(PixelsOtherThan(canvas.Image(), cell, Qt::white), cell.width() * cell.height());
}

struct FontSizeCase {
  int points, pixels;
};

TEST(QtFontSizeTest, PointsBecomePixelsAtNinetySixDotsPerInch) {
  const FontSizeCase cases[] = {{14, 19}, {16, 21}, {36, 48}, {40, 53}, {12, 16}};
  for (const FontSizeCase& c : cases) {
    EXPECT_EQ(PointsToPixels(c.points), c.pixels) << c.points;
    EXPECT_EQ(QtCanvas::MakeFont("Times New Roman", c.points, fsRegular).pixelSize(), c.pixels);
  }
}

TEST_F(QtCanvasTest, LucidaConsoleFallsBackToAMonospacedFace) {
  QtCanvas canvas(10, 10);
  canvas.SetFont(ValueFont);
  EXPECT_EQ(canvas.TextWidth("1111"), canvas.TextWidth("WWWW"));
}

struct NonFiniteCase {
  const char* name;
  double value;
};

class QtPlotNonFiniteTest : public QtCanvasTest,
                            public ::testing::WithParamInterface<NonFiniteCase> {};

// Finite samples around a sample that is not finite: the plot draws the
// finite ones and leaves a gap, and nothing crashes on the way to pixels.
TEST_P(QtPlotNonFiniteTest, PlotDrawsAroundTheValue) {
  QtCanvas canvas(kPanelWidth, kPanelHeight);
  canvas.SetBrushColor(kPanelGrey);
  canvas.FillRect({0, 0, kPanelWidth, kPanelHeight});
  TSimplePlot plot("%.2f", 0.1);
  for (int i = 0; i < 20; ++i) plot.Add(true, 230.0 + (i % 5));
  plot.Add(true, GetParam().value);
  for (int i = 0; i < 20; ++i) plot.Add(true, 231.0);
  EXPECT_DOUBLE_EQ(plot.MaxValue(), 234.0);
  EXPECT_DOUBLE_EQ(plot.MinValue(), 230.0);
  plot.Draw(canvas, kPlotArea.Left, kPlotArea.Top, kPlotArea.Width(), kPlotArea.Height());
  const QRect area(kPlotArea.Left, kPlotArea.Top, kPlotArea.Width(), kPlotArea.Height());
  EXPECT_GT(PixelsOtherThan(canvas.Image(), area, ToQColor(kPanelGrey)), 100);
}

// The zoom view of a cell whose value is not finite: the cell shows the text
// of the value, the trend takes an invalid sample.
TEST_P(QtPlotNonFiniteTest, ZoomViewOfACellWithTheValue) {
  QtCanvas canvas(kPanelWidth, kPanelHeight);
  TMeasurementCells cells;
  TMeasurementPanel panel(cells, canvas, kBackground);
  cells[slotUab].SetValue(400.0);
  panel.MouseMove(cells.CellRect(slotUab).Left + 2, cells.CellRect(slotUab).Top + 2);
  panel.Click();
  ASSERT_TRUE(panel.Zoomed());
  panel.Redraw();
  cells[slotUab].SetValue(GetParam().value);
  panel.Redraw();
  cells[slotUab].SetValue(401.0);
  panel.Redraw();
  EXPECT_EQ(panel.Plot().Count(), 4);
  EXPECT_DOUBLE_EQ(panel.Plot().MaxValue(), 401.0);
}

INSTANTIATE_TEST_SUITE_P(
    Values, QtPlotNonFiniteTest,
    ::testing::Values(NonFiniteCase{"nan", std::nan("")},
                      NonFiniteCase{"inf", std::numeric_limits<double>::infinity()},
                      NonFiniteCase{"minus_inf", -std::numeric_limits<double>::infinity()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(QtCanvasTest, ExtremeFiniteValuesStayInsideThePlot) {
  QtCanvas canvas(kPanelWidth, kPanelHeight);
  TSimplePlot plot("%.1f", 1.0);
  plot.Add(true, -std::numeric_limits<double>::max());
  plot.Add(true, std::numeric_limits<double>::max());
  plot.Add(true, 0.0);
  plot.Draw(canvas, kPlotArea.Left, kPlotArea.Top, kPlotArea.Width(), kPlotArea.Height());
  // Nothing of the trace lies outside the plot area (the image stays white there).
  const QRect left(0, 0, kPlotArea.Left - 2, kPanelHeight);
  EXPECT_EQ(PixelsOtherThan(canvas.Image(), left, Qt::white), 0);
}

// P = 152345678 W and its neighbours in real fonts: every value keeps to its
// cell (the gap before the next column stays panel grey), the bottom row
// leaves the frame's line whole, and the zoom view keeps short of the plot.
TEST_F(QtCanvasTest, BigPowersKeepToTheirCellsAndTheFrameStaysWhole) {
  QtCanvas canvas(kPanelWidth, kPanelHeight);
  TMeasurementCells cells;
  TMeasurementPanel panel(cells, canvas, kBackground);
  for (TSlot slot : {slotP, slotPa, slotPb, slotPc, slotSa, slotSb, slotSc, slotS}) {
    cells[slot].SetValue(152345678.0);
  }
  for (TSlot slot : {slotQ, slotQa, slotQb, slotQc}) cells[slot].SetValue(-152345678.0);
  for (TSlot slot : {slotCos, slotCosA, slotCosB, slotCosC}) cells[slot].SetValue(-0.9876);
  panel.Redraw();
  const QColor grey = ToQColor(kPanelGrey);
  const QImage& image = canvas.Image();
  for (int column : {10, 205, 400}) {
    const QRect gap(column + 187, 89, 8, 3 * 24 + 18);
    EXPECT_EQ(PixelsOtherThan(image, gap, grey), 0) << column;
  }
  EXPECT_EQ(PixelsOtherThan(image, QRect(752, 89, 5, 3 * 24 + 18), grey), 0);
  const QRect frameBottom(20, kPanelHeight - 1, kPanelWidth - 40, 1);
  EXPECT_EQ(PixelsOtherThan(image, frameBottom, Qt::black), 0);
  EXPECT_TRUE(image.save(test::ArtifactPath("panel-big-values")));
  panel.MouseMove(cells.CellRect(slotP).Left + 2, cells.CellRect(slotP).Top + 2);
  panel.Click();
  ASSERT_TRUE(panel.Zoomed());
  EXPECT_EQ(PixelsOtherThan(canvas.Image(), QRect(kLargeRight, 60, 8, 60), grey), 0);
  EXPECT_TRUE(canvas.Image().save(test::ArtifactPath("zoom-big-value")));
}

}  // namespace
}  // namespace vela
