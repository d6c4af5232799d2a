#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "display/ClrFonts.h"
#include "display/ClrValue.h"
#include "display/RegionalSettings.h"
#include "display/SimplePlot.h"
#include "tests/display/RecordingCanvas.h"

namespace vela {
namespace {

using test::TCanvasOp;
using test::TRecordingCanvas;

class ClrValueTest : public ::testing::Test {
 protected:
  void SetUp() override { SetCurrentRegionalSettings(RegionalSettingsOfLocale("C", "C")); }
  void TearDown() override { SetCurrentRegionalSettings(RegionalSettingsOfLocale("C", "C")); }

  static TClrValue Uab() { return TClrValue(10, 5, 0.0, "%.2f", 0x414141, "Uab", "В", 58); }
  static TClrValue CosA() { return TClrValue(10, 161, 0.0, "%.4f", 0x414141, "cosA", "", 58); }

  std::vector<TCanvasOp> SmallTexts(const TClrValue& cell, bool highlight = false) {
    canvas.Clear();
    cell.Draw(canvas, highlight);
    return canvas.Texts();
  }
  std::vector<TCanvasOp> LargeTexts(const TClrValue& cell) {
    canvas.Clear();
    cell.DrawLarge(canvas);
    return canvas.Texts();
  }

  TRecordingCanvas canvas;
};

TEST_F(ClrValueTest, FreshCellDrawsLabelOnlyAndHasNoText) {
  const TClrValue cell = Uab();
  EXPECT_EQ(cell.State(), cvsEmpty);
  EXPECT_EQ(cell.GetText(), "");
  const auto texts = SmallTexts(cell);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].Text, "Uab = ");
  EXPECT_EQ(texts[0].X, 10);
  EXPECT_EQ(texts[0].Y, 5);
  EXPECT_EQ(texts[0].Font, LabelFont.WithColor(clBlack));
  EXPECT_EQ(texts[0].BrushColor, kPanelGrey);
  const auto large = LargeTexts(cell);
  ASSERT_EQ(large.size(), 1u);
  EXPECT_EQ(large[0].Text, "Uab = ");
  EXPECT_EQ(large[0].Font, BigLabelFont.WithColor(clBlack));
}

struct ValueCase {
  double value;
  const char* small;  // value text in the small form
  const char* large;  // value text in the large form, also GetText
};

class ClrValueFormatTest : public ClrValueTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(ClrValueFormatTest, LeadingBlankOnlyInSmallFormForNonNegative) {
  TClrValue cell = Uab();
  cell.SetValue(GetParam().value);
  EXPECT_EQ(cell.GetText(), GetParam().large);

  const auto small = SmallTexts(cell);
  ASSERT_EQ(small.size(), 3u);
  EXPECT_EQ(small[0].Text, "Uab =");
  EXPECT_EQ(small[1].Text, GetParam().small);
  EXPECT_EQ(small[1].X, 10 + 58);
  EXPECT_EQ(small[1].Y, 5 + 3);
  EXPECT_EQ(small[1].Font, ValueFont.WithColor(0x414141));
  // The unit follows the value text, measured in the value font (8 px a character).
  EXPECT_EQ(small[2].Text, " В");
  EXPECT_EQ(small[2].X, 10 + 58 + 8 * static_cast<int>(std::string(GetParam().small).size()));
  EXPECT_EQ(small[2].Font, LabelFont.WithColor(0x414141));

  const auto large = LargeTexts(cell);
  ASSERT_EQ(large.size(), 3u);
  const int labelWidth = 6 * 24;  // "Uab = " in BigLabelFont
  EXPECT_EQ(large[1].Text, GetParam().large);
  EXPECT_EQ(large[1].X, 20 + labelWidth);
  EXPECT_EQ(large[1].Y, 70);
  EXPECT_EQ(large[2].X,
            20 + labelWidth + 21 * static_cast<int>(std::string(GetParam().large).size()));
  EXPECT_EQ(large[2].Y, 60);
}

INSTANTIATE_TEST_SUITE_P(Values, ClrValueFormatTest,
                         ::testing::Values(ValueCase{-1.5, "-1.50", "-1.50"},
                                           ValueCase{1.5, " 1.50", "1.50"},
                                           ValueCase{0.0, " 0.00", "0.00"},
                                           ValueCase{230.054, " 230.05", "230.05"},
                                           ValueCase{-0.001, "-0.00", "-0.00"}));

TEST_F(ClrValueTest, RegionalDecimalSeparatorAppliesToDrawingAndText) {
  // ru_RU's formats, set directly: the test needs no generated locale.
  SetCurrentRegionalSettings(TRegionalSettings{',', TDateOrder::DayMonthYear, '.', false, false});
  TClrValue cell = Uab();
  cell.SetValue(-12.5);
  EXPECT_EQ(cell.GetText(), "-12,50");
  EXPECT_EQ(SmallTexts(cell)[1].Text, "-12,50");
}

TEST_F(ClrValueTest, EmptyUnitStillDrawsABlankAfterTheValue) {
  TClrValue cell = CosA();
  cell.SetValue(0.98);
  const auto texts = SmallTexts(cell);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[1].Text, " 0.9800");
  EXPECT_EQ(texts[2].Text, " ");
}

struct MarkCase {
  void (TClrValue::*setter)();
  TClrValueState state;
  const char* mark;
};

class ClrValueMarkTest : public ClrValueTest, public ::testing::WithParamInterface<MarkCase> {};

TEST_P(ClrValueMarkTest, MarkKeepsValueAndIsAlwaysInMarkColour) {
  TClrValue cell = Uab();
  cell.SetValue(230.0);
  (cell.*GetParam().setter)();
  EXPECT_EQ(cell.State(), GetParam().state);
  EXPECT_EQ(cell.Value(), 230.0);
  EXPECT_EQ(cell.GetText(), GetParam().mark);

  for (bool highlight : {false, true}) {
    const auto texts = SmallTexts(cell, highlight);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].Text, "Uab = ");
    EXPECT_EQ(texts[0].Font.Color, highlight ? kHighlightColor : clBlack);
    EXPECT_EQ(texts[1].Text, GetParam().mark);
    EXPECT_EQ(texts[1].X, 10 + 58 + 10);
    EXPECT_EQ(texts[1].Y, 8);
    EXPECT_EQ(texts[1].Font, ValueFont.WithColor(kMarkColor));
  }
  const auto large = LargeTexts(cell);
  ASSERT_EQ(large.size(), 2u);
  EXPECT_EQ(large[1].Text, GetParam().mark);
  EXPECT_EQ(large[1].X, 20 + 6 * 24);
  EXPECT_EQ(large[1].Y, 70);
  EXPECT_EQ(large[1].Font, BigValueFont.WithColor(kMarkColor));

  cell.SetValue(231.0);
  EXPECT_EQ(cell.GetText(), "231.00");
}

INSTANTIATE_TEST_SUITE_P(
    Marks, ClrValueMarkTest,
    ::testing::Values(MarkCase{&TClrValue::SetOverflow, cvsOverflow, "ovf"},
                      MarkCase{&TClrValue::SetSubstituted, cvsSubstituted, "sub"},
                      MarkCase{&TClrValue::SetBlocked, cvsBlocked, "blk"},
                      MarkCase{&TClrValue::SetNotTopical, cvsNotTopical, "NT"}));

TEST_F(ClrValueTest, InvalidMarkHasTextButNoSetter) {
  EXPECT_STREQ(QualityMarkText(cvsInvalid), "inv");
  EXPECT_STREQ(QualityMarkText(cvsNone), "");
}

TEST_F(ClrValueTest, NoneDrawsNothingAndGivesEmptyText) {
  TClrValue cell = Uab();
  cell.SetValue(230.0);
  cell.SetNone();
  EXPECT_EQ(cell.GetText(), "");
  EXPECT_TRUE(SmallTexts(cell, true).empty());
  EXPECT_TRUE(LargeTexts(cell).empty());
  EXPECT_TRUE(canvas.Ops().empty());
}

TEST_F(ClrValueTest, HighlightColoursLabelValueAndUnit) {
  TClrValue cell = Uab();
  cell.SetValue(1.0);
  for (const TCanvasOp& text : SmallTexts(cell, true)) {
    EXPECT_EQ(text.Font.Color, kHighlightColor) << text.Text;
  }
  const auto plain = SmallTexts(cell, false);
  EXPECT_EQ(plain[0].Font.Color, clBlack);
  EXPECT_EQ(plain[1].Font.Color, 0x414141u);
  EXPECT_EQ(plain[2].Font.Color, 0x414141u);
  // The large form has no highlight: label black, value and unit in the cell colour.
  const auto large = LargeTexts(cell);
  EXPECT_EQ(large[0].Font.Color, clBlack);
  EXPECT_EQ(large[1].Font.Color, 0x414141u);
  EXPECT_EQ(large[2].Font.Color, 0x414141u);
}

TEST_F(ClrValueTest, NonFiniteValuesAreShownWithoutFailing) {
  const double values[] = {std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::infinity(),
                           -std::numeric_limits<double>::infinity(), 1e308};
  const char* texts[] = {"nan", "inf", "-inf", nullptr};
  for (size_t i = 0; i < std::size(values); ++i) {
    TClrValue cell = Uab();
    cell.SetValue(values[i]);
    if (texts[i] != nullptr) {
      EXPECT_EQ(cell.GetText(), texts[i]);
    }
    EXPECT_EQ(SmallTexts(cell).size(), 3u);
    EXPECT_EQ(LargeTexts(cell).size(), 3u);
  }
}

// Relative luminance of a 0x00BBGGRR colour and the contrast of two colours,
// as the accessibility guidelines define them.
double Luminance(TColor color) {
  const auto channel = [](unsigned octet) {
    const double c = octet / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(color & 0xFF) + 0.7152 * channel((color >> 8) & 0xFF) +
         0.0722 * channel((color >> 16) & 0xFF);
}

TEST(ClrValueColourTest, ValueAndTrendTextsReachFourAndAHalfToOneOnThePanelGrey) {
  for (TColor color : {kCellValueColor, kHighlightColor, kMarkColor, kPlotColor}) {
    const double contrast = (Luminance(kPanelGrey) + 0.05) / (Luminance(color) + 0.05);
    EXPECT_GE(contrast, 4.5) << std::hex << color;
  }
}

}  // namespace
}  // namespace vela
