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
    // A blank before values >= 0 lines their digits up with negative ones.
    std::string text = FValue >= 0 ? " " : "";
    text += FormattedValue();
    canvas.SetFont(ValueFont.WithColor(valueColor));
    canvas.TextOut(FX + FValueOffset, FY + 3, text);
    const int valueWidth = canvas.TextWidth(text);
    canvas.SetFont(LabelFont.WithColor(valueColor));
    canvas.TextOut(FX + FValueOffset + valueWidth, FY, " " + FUnit);
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
    const std::string text = FormattedValue();
    canvas.SetFont(BigValueFont.WithColor(FColor));
    canvas.TextOut(kLargeLeft + labelWidth, kLargeTop + 10, text);
    const int valueWidth = canvas.TextWidth(text);
    canvas.SetFont(BigLabelFont.WithColor(FColor));
    canvas.TextOut(kLargeLeft + labelWidth + valueWidth, kLargeTop, " " + FUnit);
  } else if (IsMarkState(FState)) {
    canvas.SetFont(BigValueFont.WithColor(kMarkColor));
    canvas.TextOut(kLargeLeft + labelWidth, kLargeTop + 10, QualityMarkText(FState));
  }
}

}  // namespace vela
