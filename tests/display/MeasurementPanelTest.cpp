#include <gtest/gtest.h>

#include <set>

#include "display/ClrFonts.h"
#include "display/MeasurementPanel.h"
#include "display/RegionalSettings.h"
#include "tests/display/RecordingCanvas.h"

namespace vela {
namespace {

using test::TCanvasOp;
using test::TOpKind;
using test::TRecordingCanvas;

constexpr TColor kGroupBoxColor = 0xF0F0F0;

class MeasurementPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetCurrentRegionalSettings(RegionalSettingsOfLocale("C", "C"));
    panel.OnPainted = [this] { ++paints; };
  }

  // Labels drawn since the last Clear, with the colour they were drawn in.
  std::vector<std::pair<std::string, TColor>> Labels() const {
    std::vector<std::pair<std::string, TColor>> labels;
    for (const TCanvasOp& op : canvas.Texts()) {
      if (op.Font.Name == LabelFont.Name && op.Font.Size == LabelFont.Size &&
          op.Text.find('=') != std::string::npos) {
        labels.emplace_back(op.Text, op.Font.Color);
      }
    }
    return labels;
  }
  void PointAt(int slot) {
    const TRect r = cells.CellRect(slot);
    panel.MouseMove(r.Left + 3, r.Top + 3);
  }

  TMeasurementCells cells;
  TRecordingCanvas canvas;
  TMeasurementPanel panel{cells, canvas, kGroupBoxColor};
  int paints = 0;
};

TEST_F(MeasurementPanelTest, OverviewDrawsBackgroundFrameAndAll28Cells) {
  panel.Redraw();
  const auto& ops = canvas.Ops();
  ASSERT_GE(ops.size(), 2u);
  EXPECT_EQ(ops[0].Kind, TOpKind::FillRect);
  EXPECT_EQ(ops[0].Rect, (TRect{0, 0, 760, 185}));
  EXPECT_EQ(ops[0].BrushColor, kGroupBoxColor);
  EXPECT_EQ(ops[1].Kind, TOpKind::RoundRect);
  EXPECT_EQ(ops[1].BrushColor, kPanelGrey);
  EXPECT_EQ(ops[1].PenColor, clBlack);
  const auto labels = Labels();
  ASSERT_EQ(labels.size(), 28u);
  EXPECT_EQ(labels[0].first, "f = ");
  EXPECT_EQ(labels[4].first, "Uab = ");
  EXPECT_EQ(labels[27].first, "cos = ");
  EXPECT_EQ(paints, 1);
}

TEST_F(MeasurementPanelTest, HiddenCellsAreNotDrawn) {
  cells.SetNone(kFourWireOnlySlots);
  panel.Redraw();
  EXPECT_EQ(Labels().size(), 28u - kFourWireOnlySlots.size());
}

struct HitCase {
  int x, y;
  int slot;  // -1: none
};

class MeasurementPanelHitTest : public MeasurementPanelTest,
                                public ::testing::WithParamInterface<HitCase> {};

TEST_P(MeasurementPanelHitTest, HitRectanglesExcludeRightAndBottomEdges) {
  panel.MouseMove(GetParam().x, GetParam().y);
  EXPECT_EQ(panel.Hover(), GetParam().slot >= 0);
  if (GetParam().slot >= 0) {
    EXPECT_EQ(panel.HoverIndex(), GetParam().slot);
  }
}

INSTANTIATE_TEST_SUITE_P(Edges, MeasurementPanelHitTest,
                         ::testing::Values(HitCase{10, 5, slotUab}, HitCase{164, 22, slotUab},
                                           HitCase{165, 5, -1}, HitCase{10, 23, -1},
                                           HitCase{9, 5, -1}, HitCase{595, 5, slotF},
                                           HitCase{749, 178, slotCos}, HitCase{750, 178, -1},
                                           HitCase{300, 30, -1}));

TEST_F(MeasurementPanelTest, MovingBetweenCellsRedrawsOnlyTheTwoConcerned) {
  panel.Redraw();
  PointAt(slotUab);
  canvas.Clear();
  paints = 0;
  PointAt(slotUbc);
  const auto labels = Labels();
  ASSERT_EQ(labels.size(), 2u);
  EXPECT_EQ(labels[0], std::make_pair(std::string("Uab = "), clBlack));
  EXPECT_EQ(labels[1], std::make_pair(std::string("Ubc = "), kHighlightColor));
  EXPECT_EQ(canvas.OfKind(TOpKind::FillRect).size() + canvas.OfKind(TOpKind::RoundRect).size(), 0u);
  EXPECT_EQ(paints, 1);

  canvas.Clear();
  panel.MouseMove(5, 2);  // off every cell
  EXPECT_EQ(Labels(), (std::vector<std::pair<std::string, TColor>>{{"Ubc = ", clBlack}}));
  EXPECT_FALSE(panel.Hover());

  canvas.Clear();
  panel.MouseMove(6, 2);
  PointAt(slotUbc);
  PointAt(slotUbc);  // within the same cell: nothing to repaint
  EXPECT_EQ(Labels().size(), 1u);
}

TEST_F(MeasurementPanelTest, ClickWithoutHighlightOnlyRepaints) {
  panel.Click();
  EXPECT_FALSE(panel.Zoomed());
  EXPECT_EQ(Labels().size(), 28u);
  EXPECT_EQ(panel.Plot().Count(), 0);
}

TEST_F(MeasurementPanelTest, ClickZoomsAndClickOrEscapeLeaves) {
  cells[slotUa].SetValue(220.0);
  PointAt(slotUa);
  canvas.Clear();
  panel.Click();
  ASSERT_TRUE(panel.Zoomed());
  const auto texts = canvas.Texts();
  ASSERT_GE(texts.size(), 3u);
  EXPECT_EQ(texts[0].Text, "Ua = ");
  EXPECT_EQ(texts[0].Font, BigLabelFont.WithColor(clBlack));
  EXPECT_EQ(texts[1].Text, "220.00");
  EXPECT_EQ(panel.Plot().Count(), 1);
  EXPECT_EQ(canvas.Texts().back().Text, "220.00");  // the plot's "min: " value

  panel.MouseMove(0, 0);  // ignored in the zoom view
  EXPECT_TRUE(panel.Hover());
  panel.Click();
  EXPECT_FALSE(panel.Zoomed());

  panel.Click();
  EXPECT_TRUE(panel.Zoomed());
  EXPECT_EQ(panel.Plot().Count(), 1);  // entering the zoom view starts an empty trend
  EXPECT_TRUE(panel.EscapeKey());
  EXPECT_FALSE(panel.Zoomed());
  EXPECT_FALSE(panel.EscapeKey());
}

TEST_F(MeasurementPanelTest, EveryZoomRedrawAddsASampleValidOnlyForValues) {
  PointAt(slotIa);
  panel.Click();
  for (int i = 1; i < 200; ++i) panel.Redraw();
  EXPECT_EQ(panel.Plot().Count(), 200);
  EXPECT_FALSE(panel.Plot().HasData());  // the cell never had a value
  canvas.Clear();
  panel.Redraw();
  EXPECT_EQ(canvas.OfKind(TOpKind::LineTo).size(), 0u);
  EXPECT_EQ(canvas.Texts().size(), 1u);  // only the enlarged label

  cells[slotIa].SetValue(1.5);
  panel.Redraw();
  EXPECT_TRUE(panel.Plot().HasData());
  EXPECT_EQ(panel.Plot().MaxValue(), 1.5);
}

TEST_F(MeasurementPanelTest, ZoomUsesTheCellsFormatAndMinimumRange) {
  cells[slotF].SetValue(50.0);
  cells[slotP].SetValue(100.0);
  PointAt(slotF);
  panel.Click();
  EXPECT_EQ(canvas.Texts().back().Text, "50.000");
  // f's minimum range is 0.01: a change of 0.004 spans 0.4 of the plot height.
  cells[slotF].SetValue(50.004);
  canvas.Clear();
  panel.Redraw();
  const auto lines = canvas.OfKind(TOpKind::LineTo);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].Y - lines[1].Y, 40);  // 0.4 of 101 pixels
}

}  // namespace
}  // namespace vela
