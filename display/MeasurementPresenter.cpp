#include "display/MeasurementPresenter.h"

#include "common/ArkCmnUtils.h"

namespace vela {
namespace {

constexpr auto U = TRegisterKind::Unsigned;
constexpr auto S = TRegisterKind::Signed;

}  // namespace

TMeasurementPresenter::TMeasurementPresenter(TMeasurementCells& cells, const Clock& clock)
    : FCells(cells), FClock(clock) {}

void TMeasurementPresenter::ShowRegister(TSlot slot, uint16_t raw, TRegisterKind kind, double scale,
                                         uint8_t type) {
  const std::optional<int32_t> count = DecodeRegister(raw, kind, type);
  if (count) {
    FCells[slot].SetValue(*count * scale);
  } else {
    FCells[slot].SetOverflow();
  }
}

template <size_t N>
void TMeasurementPresenter::ApplyRules(const TModbusValues& block, const TRegisterRule (&rules)[N],
                                       uint8_t type) {
  for (const TRegisterRule& rule : rules) {
    ShowRegister(rule.Slot, block.GetRegister(rule.Register), rule.Kind, rule.Scale, type);
  }
}

void TMeasurementPresenter::ShowMainValues4(const TModbusValues4Wire& block,
                                            const TModbusParamsMain& mainPrm) {
  static constexpr TRegisterRule kRules[] = {
      {slotP, 0, S, 0.2},     {slotQ, 1, S, 0.2},     {slotS, 2, U, 0.2},
      {slotUab, 3, U, 0.02},  {slotUbc, 4, U, 0.02},  {slotUca, 5, U, 0.02},
      {slotIa, 6, U, 0.0002}, {slotIb, 7, U, 0.0002}, {slotIc, 8, U, 0.0002},
      {slotIo, 9, U, 0.0002}, {slotUa, 10, U, 0.01},  {slotUb, 11, U, 0.01},
      {slotUc, 12, U, 0.01},  {slotUo, 13, U, 0.01},  {slotPa, 14, S, 0.1},
      {slotPb, 15, S, 0.1},   {slotPc, 16, S, 0.1},   {slotQa, 17, S, 0.1},
      {slotQb, 18, S, 0.1},   {slotQc, 19, S, 0.1},   {slotSa, 20, U, 0.1},
      {slotSb, 21, U, 0.1},   {slotSc, 22, U, 0.1},
  };
  Refreshed(FMainValuesTime);
  ApplyRules(block, kRules, mainPrm.GetNormalisationType());
}

void TMeasurementPresenter::ShowMainValues3(const TModbusValues3Wire& block,
                                            const TModbusParamsMain& mainPrm) {
  static constexpr TRegisterRule kRules[] = {
      {slotP, 0, S, 0.2},     {slotQ, 1, S, 0.2},     {slotS, 2, U, 0.2},
      {slotUab, 3, U, 0.02},  {slotUbc, 4, U, 0.02},  {slotUca, 5, U, 0.02},
      {slotIa, 6, U, 0.0002}, {slotIb, 7, U, 0.0002}, {slotIc, 8, U, 0.0002},
  };
  Refreshed(FMainValuesTime);
  ApplyRules(block, kRules, mainPrm.GetNormalisationType());
  FCells.SetNone(kFourWireOnlySlots);
}

void TMeasurementPresenter::ShowFrequency(const TModbusValuesF& block,
                                          const TModbusParamsMain& mainPrm) {
  Refreshed(FFrequencyTime);
  ShowRegister(slotF, block.GetFrequency(), U, 0.001, mainPrm.GetNormalisationType());
}

void TMeasurementPresenter::ShowTotalCos(const TModbusValues3Cos& block,
                                         const TModbusParamsMain& mainPrm) {
  Refreshed(FTotalCosTime);
  ShowRegister(slotCos, block.GetCos(), S, 0.0001, mainPrm.GetNormalisationType());
}

void TMeasurementPresenter::ShowPhaseCos(const TModbusValues4Cos& block,
                                         const TModbusParamsMain& mainPrm) {
  static constexpr TRegisterRule kRules[] = {
      {slotCosA, 0, S, 0.0001}, {slotCosB, 1, S, 0.0001}, {slotCosC, 2, S, 0.0001}};
  Refreshed(FPhaseCosTime);
  ApplyRules(block, kRules, mainPrm.GetNormalisationType());
}

void TMeasurementPresenter::ShowMainValuesRefused(const TModbusParamsMain& mainPrm) {
  Refreshed(FMainValuesTime);
  if (mainPrm.GetThreeWire()) {
    for (TSlot slot : kThreeWireMainSlots) FCells[slot].SetOverflow();
  } else {
    for (TSlot slot : kFourWireMainSlots) FCells[slot].SetOverflow();
  }
}

void TMeasurementPresenter::ShowFrequencyRefused() {
  Refreshed(FFrequencyTime);
  FCells[slotF].SetOverflow();
}

bool TMeasurementPresenter::ShowTotalCosRefused(int32_t exceptionCode) {
  constexpr int32_t kIllegalDataAddress = 2;
  if (exceptionCode == kIllegalDataAddress) {
    FCells.SetNone({slotCos, slotCosA, slotCosB, slotCosC});
    return false;
  }
  Refreshed(FTotalCosTime);
  FCells[slotCos].SetOverflow();
  return true;
}

void TMeasurementPresenter::ShowPhaseCosRefused() {
  Refreshed(FPhaseCosTime);
  for (TSlot slot : {slotCosA, slotCosB, slotCosC}) FCells[slot].SetOverflow();
}

void TMeasurementPresenter::ShowDeviceClock(uint32_t seconds) {
  Refreshed(FClockTime);
  SetClockText(SecondsToText(seconds));
}

void TMeasurementPresenter::ShowDeviceClockRefused() {
  Refreshed(FClockTime);
  SetClockText(kNoDeviceClockText);
}

void TMeasurementPresenter::ClearDeviceClock() {
  SetClockText("");
}

void TMeasurementPresenter::SetClockText(const std::string& text) {
  FClockText = text;
  if (OnDeviceClockText) OnDeviceClockText(FClockText);
}

bool TMeasurementPresenter::IsStale(const std::optional<int64_t>& group) const {
  return !group || FClock.MonotonicMs() - *group > kStaleAfterMs;
}

void TMeasurementPresenter::ClearStaleValues(const TModbusParamsMain& mainPrm) {
  if (IsStale(FFrequencyTime)) FCells[slotF].SetNone();
  if (IsStale(FTotalCosTime)) FCells.SetNone({slotCos, slotCosA, slotCosB, slotCosC});
  if (IsStale(FPhaseCosTime)) FCells.SetNone({slotCosA, slotCosB, slotCosC});
  if (IsStale(FMainValuesTime)) {
    if (mainPrm.GetThreeWire()) {
      FCells.SetNone(kThreeWireMainSlots);
    } else {
      FCells.SetNone(kFourWireMainSlots);
    }
  }
  if (IsStale(FClockTime) && !FClockText.empty()) ClearDeviceClock();
}

void TMeasurementPresenter::ShowIecValue(uint32_t address, double value, uint8_t quality) {
  if (address < 1 || address > kSlotCount) return;
  TClrValue& cell = FCells[static_cast<int>(address - 1)];
  if (quality & iqOverflow) {
    cell.SetOverflow();
  } else if (quality & iqSubstituted) {
    cell.SetSubstituted();
  } else if (quality & iqBlocked) {
    cell.SetBlocked();
  } else if (quality & iqNotTopical) {
    cell.SetNotTopical();
  } else if (quality & iqInvalid) {
    cell.SetNone();
  } else {
    cell.SetValue(value);
  }
}

}  // namespace vela
