#include <gtest/gtest.h>

#include "display/ClrFonts.h"
#include "display/FittedValue.h"
#include "display/MeasurementPanel.h"
#include "display/RegionalSettings.h"
#include "tests/display/RecordingCanvas.h"

namespace vela {
namespace {

int CodePoints(const std::string& text) {
  int count = 0;
  for (unsigned char c : text) count += (c & 0xC0) != 0x80;
  return count;
}

struct FitCase {
  double value;
  const char* format;
  const char* unit;
  int room;  // characters of 10 pixels
  const char* shownValue;
  const char* shownUnit;
};

class FittedValueTest : public ::testing::TestWithParam<FitCase> {
 protected:
  void SetUp() override { SetCurrentRegionalSettings(RegionalSettingsOfLocale("C", "C")); }
};

TEST_P(FittedValueTest, OwnFormatThenFewerDecimalsThenPrefixes) {
  const FitCase& c = GetParam();
  const TFittedValue fitted = FitValue(c.value, c.format, c.unit, true, c.room * 10,
                                       [](const std::string& v, const std::string& u) {
                                         return 10 * (CodePoints(v) + CodePoints(u));
                                       });
  EXPECT_EQ(fitted.value, c.shownValue);
  EXPECT_EQ(fitted.unit, c.shownUnit);
}

INSTANTIATE_TEST_SUITE_P(Values, FittedValueTest,
                         ::testing::Values(FitCase{230.054, "%.2f", "В", 10, " 230.05", " В"},
                                           FitCase{152345678, "%.1f", "Вт", 12, " 152.3", " МВт"},
                                           FitCase{-152345678, "%.1f", "Вт", 12, "-152.3", " МВт"},
                                           FitCase{152345678, "%.1f", "Вт", 8, " 152", " МВт"},
                                           FitCase{12345.6789, "%.4f", "А", 12, " 12345.679", " А"},
                                           FitCase{12345.6789, "%.4f", "А", 7, " 12", " кА"},
                                           FitCase{999999.9, "%.1f", "вар", 10, " 1.0", " Мвар"},
                                           FitCase{3.5e12, "%.1f", "ВА", 12, " 3500.0", " ГВА"},
                                           FitCase{1e18, "%.1f", "ВА", 12, " ###", " ВА"},
                                           FitCase{12345.0, "%.4f", "", 5, " ###", " "}));

// Every value text of the panel ends short of the next cell, and the enlarged
// one short of the trend plot.
TEST(PanelValueWidthTest, ABigPowerStaysInsideItsCellAndTheZoomView) {
  SetCurrentRegionalSettings(RegionalSettingsOfLocale("C", "C"));
  TMeasurementCells cells;
  for (TSlot slot : {slotP, slotPa, slotQb, slotSc}) cells[slot].SetValue(152345678.0);
  cells[slotQa].SetValue(-152345678.0);
  test::TRecordingCanvas canvas;
  TMeasurementPanel panel(cells, canvas, 0xF0F0F0);
  panel.Redraw();
  const auto rightOf = [&](const test::TCanvasOp& op) {
    canvas.SetFont(op.Font);
    return op.X + canvas.TextWidth(op.Text);
  };
  for (TSlot slot : {slotP, slotPa, slotQa, slotQb, slotSc}) {
    const TClrValue& cell = cells[slot];
    const int limit = cell.X() == 595 ? kPanelWidth - 1 : cell.X() + 195;
    int cellTexts = 0;
    for (const test::TCanvasOp& op : canvas.Texts()) {
      if (op.Y < cell.Y() || op.Y > cell.Y() + 3 || op.X < cell.X() || op.X >= limit) continue;
      ++cellTexts;
      EXPECT_LT(rightOf(op), limit) << cell.Name() << ": " << op.Text;
    }
    EXPECT_EQ(cellTexts, 3) << cell.Name();
  }
  panel.MouseMove(cells.CellRect(slotP).Left + 3, cells.CellRect(slotP).Top + 3);
  panel.Click();
  ASSERT_TRUE(panel.Zoomed());
  canvas.Clear();
  panel.Redraw();
  const auto texts = canvas.Texts();
  ASSERT_GE(texts.size(), 3u);
  EXPECT_EQ(texts[1].Text.find('.'), std::string::npos) << texts[1].Text;  // decimals dropped
  EXPECT_LE(rightOf(texts[2]), kPlotArea.Left);
}

}  // namespace
}  // namespace vela
