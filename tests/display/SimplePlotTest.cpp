#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "display/ClrFonts.h"
#include "display/RegionalSettings.h"
#include "display/SimplePlot.h"
#include "tests/display/RecordingCanvas.h"

namespace vela {
namespace {

using test::TCanvasOp;
using test::TOpKind;
using test::TRecordingCanvas;

// The zoom view's plot area.
constexpr int kLeft = 420, kTop = 10, kWidth = 322, kHeight = 149;
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class SimplePlotTest : public ::testing::Test {
 protected:
  void SetUp() override { SetCurrentRegionalSettings(RegionalSettingsOfLocale("C", "C")); }

  std::vector<TCanvasOp> Draw(const TSimplePlot& plot, int width = kWidth, int height = kHeight) {
    canvas.Clear();
    plot.Draw(canvas, kLeft, kTop, width, height);
    return canvas.Ops();
  }
  // The trace: MoveTo and LineTo operations only.
  std::vector<TCanvasOp> Trace(const TSimplePlot& plot) {
    std::vector<TCanvasOp> trace;
    for (const TCanvasOp& op : Draw(plot)) {
      if (op.Kind == TOpKind::MoveTo || op.Kind == TOpKind::LineTo) trace.push_back(op);
    }
    return trace;
  }
  static int XOf(int k) { return static_cast<int>(std::nearbyint(kLeft + k * (kWidth / 199.0))); }

  TRecordingCanvas canvas;
};

TEST_F(SimplePlotTest, ConstantValueIsAFlatLine24PixelsAboveTheBottom) {
  TSimplePlot plot("%.2f", 0.1);
  for (int i = 0; i < 3; ++i) plot.Add(true, 230.0);
  const auto ops = Draw(plot);
  const auto texts = canvas.Texts();
  ASSERT_EQ(texts.size(), 4u);
  EXPECT_EQ(texts[0].Text, "max: ");
  EXPECT_EQ(texts[0].Y, kTop);
  EXPECT_EQ(texts[0].Font, LabelFont.WithColor(kPlotColor));
  EXPECT_EQ(texts[1].Text, "230.00");
  EXPECT_EQ(texts[1].X, kLeft + 5 * 8);  // "max: " measured in the value font
  EXPECT_EQ(texts[1].Font, ValueFont.WithColor(kPlotColor));
  EXPECT_EQ(texts[2].Text, "min: ");
  EXPECT_EQ(texts[2].Y, kTop + kHeight - 20);
  EXPECT_EQ(texts[3].Text, "230.00");

  const auto trace = Trace(plot);
  ASSERT_EQ(trace.size(), 4u);  // MoveTo, dot, two lines
  EXPECT_EQ(trace[0].Kind, TOpKind::MoveTo);
  for (size_t i = 0; i < trace.size(); ++i) {
    EXPECT_EQ(trace[i].Y, kTop + kHeight - 24);
    EXPECT_EQ(trace[i].PenWidth, 3);
    EXPECT_EQ(trace[i].PenColor, kPlotColor);
  }
  EXPECT_EQ(trace[1].Kind, TOpKind::LineTo);
  EXPECT_EQ(trace[1].X, trace[0].X);
  EXPECT_EQ(canvas.PenWidth(), 1);
}

TEST_F(SimplePlotTest, ExtremesLie24PixelsInsideTopAndBottom) {
  TSimplePlot plot("%.1f", 1.0);
  plot.Add(true, 10.0);
  plot.Add(true, 110.0);
  plot.Add(true, 60.0);
  const auto trace = Trace(plot);
  ASSERT_EQ(trace.size(), 4u);
  EXPECT_EQ(trace[1].Y, kTop + kHeight - 24);         // min
  EXPECT_EQ(trace[2].Y, kTop + 24);                   // max; 149 - 48 = 101 pixels of span
  EXPECT_EQ(trace[3].Y, (kTop + kHeight - 24) - 51);  // half way, 50.5 rounds to even
  EXPECT_EQ(trace[2].X, XOf(1));
  EXPECT_EQ(trace[3].X, XOf(2));
}

TEST_F(SimplePlotTest, SpanBelowMinimumRangeStaysInABandNearTheBottom) {
  TSimplePlot plot("%.3f", 1.0);
  plot.Add(true, 50.0);
  plot.Add(true, 50.5);  // half the minimum range
  const auto trace = Trace(plot);
  ASSERT_EQ(trace.size(), 3u);
  EXPECT_EQ(trace[2].Y, static_cast<int>(std::nearbyint(kTop + kHeight - 24 - 0.5 * 101)));
}

TEST_F(SimplePlotTest, InvalidSamplesBreakTheLine) {
  TSimplePlot plot("%.2f", 0.1);
  const bool valid[] = {true, true, false, true, false, false, true, true};
  for (bool v : valid) plot.Add(v, 1.0);
  std::vector<TOpKind> kinds;
  std::vector<int> xs;
  for (const TCanvasOp& op : Trace(plot)) kinds.push_back(op.Kind), xs.push_back(op.X);
  using enum TOpKind;
  EXPECT_EQ(kinds,
            (std::vector<TOpKind>{MoveTo, LineTo, LineTo, MoveTo, LineTo, MoveTo, LineTo, LineTo}));
  EXPECT_EQ(xs, (std::vector<int>{XOf(0), XOf(0), XOf(1), XOf(3), XOf(3), XOf(6), XOf(6), XOf(7)}));
}

TEST_F(SimplePlotTest, NonFiniteValuesAreInvalidSamples) {
  TSimplePlot plot("%.2f", 0.1);
  for (double v : {1.0, kNaN, kInf, -kInf, 2.0}) plot.Add(true, v);
  EXPECT_EQ(plot.MaxValue(), 2.0);
  EXPECT_EQ(plot.MinValue(), 1.0);
  const auto trace = Trace(plot);
  ASSERT_EQ(trace.size(), 4u);
  EXPECT_EQ(trace[2].Kind, TOpKind::MoveTo);
  EXPECT_EQ(trace[2].X, XOf(4));
}

TEST_F(SimplePlotTest, ExtremeFiniteValuesGiveCoordinatesInsideThePlot) {
  TSimplePlot plot("%.2f", 0.1);
  for (double v : {-1.7e308, 1.7e308, 0.0, 5e-324}) plot.Add(true, v);
  for (const TCanvasOp& op : Trace(plot)) {
    EXPECT_GE(op.Y, kTop + 24);
    EXPECT_LE(op.Y, kTop + kHeight - 24);
  }
}

TEST_F(SimplePlotTest, NoValidSampleDrawsNothing) {
  TSimplePlot plot("%.2f", 0.1);
  EXPECT_TRUE(Draw(plot).empty());
  for (int i = 0; i < 5; ++i) plot.Add(false, 7.0);
  EXPECT_FALSE(plot.HasData());
  EXPECT_EQ(plot.MaxValue(), 0.0);
  EXPECT_EQ(plot.MinValue(), 0.0);
  EXPECT_TRUE(Draw(plot).empty());
}

TEST_F(SimplePlotTest, TheTwoHundredAndFirstSampleScrollsTheTrace) {
  TSimplePlot plot("%.0f", 1.0);
  for (int i = 0; i < 200; ++i) plot.Add(true, i);
  EXPECT_EQ(plot.Count(), 200);
  auto trace = Trace(plot);
  ASSERT_EQ(trace.size(), 201u);
  const int yOf0 = trace[1].Y;
  const int yOf1 = trace[2].Y;
  EXPECT_EQ(trace.back().X, kLeft + kWidth);

  plot.Add(true, 200);
  EXPECT_EQ(plot.Count(), 200);
  EXPECT_EQ(plot.MinValue(), 1.0);
  trace = Trace(plot);
  ASSERT_EQ(trace.size(), 201u);
  EXPECT_EQ(trace[0].X, kLeft);
  EXPECT_EQ(trace[1].Y, yOf0);  // the oldest is now 1, at the bottom
  EXPECT_NE(yOf0, yOf1);
  EXPECT_EQ(trace.back().Y, kTop + 24);
}

TEST_F(SimplePlotTest, ResetForgetsAllSamples) {
  TSimplePlot plot("%.2f", 0.1);
  plot.Add(true, 3.0);
  plot.Reset("%.4f", 0.001);
  EXPECT_EQ(plot.Count(), 0);
  EXPECT_FALSE(plot.HasData());
  plot.Add(true, 0.5);
  Draw(plot);
  EXPECT_EQ(canvas.Texts()[1].Text, "0.5000");
}

struct SizeCase {
  int width, height;
  bool canDraw;
};

class SimplePlotSizeTest : public SimplePlotTest, public ::testing::WithParamInterface<SizeCase> {};

TEST_P(SimplePlotSizeTest, TooSmallAreaIsABlackRectangle) {
  const auto [width, height, canDraw] = GetParam();
  EXPECT_EQ(TSimplePlot::CanDraw(width, height), canDraw);
  TSimplePlot plot("%.2f", 0.1);
  plot.Add(true, 1.0);
  const auto ops = Draw(plot, width, height);
  if (canDraw) {
    EXPECT_EQ(canvas.OfKind(TOpKind::Rectangle).size(), 0u);
    EXPECT_EQ(canvas.Texts().size(), 4u);
  } else {
    ASSERT_EQ(ops.size(), 1u);
    EXPECT_EQ(ops[0].Kind, TOpKind::Rectangle);
    EXPECT_EQ(ops[0].Rect, (TRect{kLeft, kTop, kLeft + width, kTop + height}));
    EXPECT_EQ(ops[0].BrushColor, clBlack);
    EXPECT_EQ(ops[0].PenColor, clBlack);
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, SimplePlotSizeTest,
                         ::testing::Values(SizeCase{220, 149, false}, SizeCase{221, 149, true},
                                           SizeCase{322, 22, false}, SizeCase{322, 23, true},
                                           SizeCase{0, 0, false}));

}  // namespace
}  // namespace vela
