#include "display/ClrValue.h"

#include <utility>

#include "display/ClrFonts.h"
#include "display/RegionalSettings.h"

namespace vela {

const char* QualityMarkText(TClrValueState state) {
  switch (state) {
    case cvsOverflow:
      return "ovf";
    case cvsSubstituted:
      return "sub";
    case cvsBlocked:
      return "blk";
    case cvsNotTopical:
      return "NT";
    case cvsInvalid:
      return "inv";
    default:
      return "";
  }
}

const char* MissingReasonName(TMissingReason reason) {
  switch (reason) {
    case TMissingReason::NoAnswer:
      return "no-answer";
    case TMissingReason::BadFrame:
      return "bad-frame";
    case TMissingReason::DeviceException:
      return "device-exception";
    case TMissingReason::None:
      break;
  }
  return "";
}

namespace {
bool IsMarkState(TClrValueState state) {
  return state >= cvsOverflow && state <= cvsInvalid;
}
}  // namespace

TClrValue::TClrValue(int x, int y, double value, std::string format, TColor color, std::string name,
                     std::string unit, int valueOffset)
    : FX(x),
      FY(y),
      FFormat(std::move(format)),
      FValue(value),
      FColor(color),
      FName(std::move(name)),
      FUnit(std::move(unit)),
      FValueOffset(valueOffset) {}

void TClrValue::SetValue(double value) {
  FValue = value;
  SetState(cvsValue);
}

std::string TClrValue::FormattedValue() const {
  return FormatFixed(FValue, FFormat);
}

TFittedValue TClrValue::Fitted(TCanvas& canvas, const TFont& valueFont, const TFont& unitFont,
                               bool leadingBlank, int room) const {
  const auto width = [&](const std::string& value, const std::string& unit) {
    canvas.SetFont(valueFont);
    const int valueWidth = canvas.TextWidth(value);
    canvas.SetFont(unitFont);
    return valueWidth + canvas.TextWidth(unit);
  };
  return FitValue(FValue, FFormat, FUnit, leadingBlank, room, width);
}

std::string TClrValue::GetText() const {
  if (FState == cvsValue) return FormattedValue();
  return QualityMarkText(FState);
}

void TClrValue::Draw(TCanvas& canvas, bool highlight) const {
  const TColor labelColor = highlight ? kHighlightColor : clBlack;
  const TColor valueColor = highlight ? kHighlightColor : FColor;
  if (FState == cvsEmpty) {
    canvas.SetBrushColor(kPanelGrey);
    canvas.SetFont(LabelFont.WithColor(labelColor));
    canvas.TextOut(FX, FY, FName + " = ");
  } else if (FState == cvsValue) {
    canvas.SetBrushColor(kPanelGrey);
    canvas.SetFont(LabelFont.WithColor(labelColor));
    canvas.TextOut(FX, FY, FName + " =");
    const int left = FX + FValueOffset;
    const TFittedValue fitted =
        Fitted(canvas, ValueFont, LabelFont, true, FRight > 0 ? FRight - left : kUnlimited);
    canvas.SetFont(ValueFont.WithColor(valueColor));
    canvas.TextOut(left, FY + 3, fitted.value);
    const int valueWidth = canvas.TextWidth(fitted.value);
    canvas.SetFont(LabelFont.WithColor(valueColor));
    canvas.TextOut(left + valueWidth, FY, fitted.unit);
  } else if (IsMarkState(FState)) {
    canvas.SetFont(LabelFont.WithColor(labelColor));
    canvas.TextOut(FX, FY, FName + " = ");
    canvas.SetFont(ValueFont.WithColor(kMarkColor));
    canvas.TextOut(FX + FValueOffset + 10, FY + 3, QualityMarkText(FState));
  }
}

void TClrValue::DrawLarge(TCanvas& canvas) const {
  if (FState == cvsNone) return;
  if (FState == cvsEmpty || FState == cvsValue) canvas.SetBrushColor(kPanelGrey);
  canvas.SetFont(BigLabelFont.WithColor(clBlack));
  const std::string label = FName + " = ";
  canvas.TextOut(kLargeLeft, kLargeTop, label);
  const int labelWidth = canvas.TextWidth(label);
  if (FState == cvsValue) {
    const int left = kLargeLeft + labelWidth;
    const TFittedValue fitted =
        Fitted(canvas, BigValueFont, BigLabelFont, false, kLargeRight - left);
    canvas.SetFont(BigValueFont.WithColor(FColor));
    canvas.TextOut(left, kLargeTop + 10, fitted.value);
    const int valueWidth = canvas.TextWidth(fitted.value);
    canvas.SetFont(BigLabelFont.WithColor(FColor));
    canvas.TextOut(left + valueWidth, kLargeTop, fitted.unit);
  } else if (IsMarkState(FState)) {
    canvas.SetFont(BigValueFont.WithColor(kMarkColor));
    canvas.TextOut(kLargeLeft + labelWidth, kLargeTop + 10, QualityMarkText(FState));
  }
}

}  // namespace vela
