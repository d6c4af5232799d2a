#include "display/MeasurementPresenter.h"

#include <array>

#include "common/ArkCmnUtils.h"

namespace vela {

TMeasurementPresenter::TMeasurementPresenter(TMeasurementCells& cells, const Clock& clock)
    : FCells(cells), FClock(clock) {}

std::optional<int64_t>& TMeasurementPresenter::RefreshTime(TValueGroup group) {
  switch (group) {
    case TValueGroup::MainValues:
      return FMainValuesTime;
    case TValueGroup::Frequency:
      return FFrequencyTime;
    case TValueGroup::TotalCos:
      return FTotalCosTime;
    case TValueGroup::PhaseCos:
      break;
  }
  return FPhaseCosTime;
}

void TMeasurementPresenter::ShowReading(TValueGroup group, const TReading& reading) {
  Refreshed(RefreshTime(group));
  ShowReading(reading);
}

void TMeasurementPresenter::ShowReading(const TReading& reading) {
  for (const TReadingValue& v : reading) {
    if (v.slot < 0 || v.slot >= kSlotCount) continue;
    TClrValue& cell = FCells[v.slot];
    if (v.quality & rqAbsent) {
      cell.SetNone();
    } else if (v.quality & rqOverflow) {
      cell.SetOverflow();
    } else if (v.quality & rqSubstituted) {
      cell.SetSubstituted();
    } else if (v.quality & rqBlocked) {
      cell.SetBlocked();
    } else if (v.quality & rqNotTopical) {
      cell.SetNotTopical();
    } else if (v.quality & rqInvalid) {
      cell.SetNone();
    } else {
      cell.SetValue(v.value);
    }
  }
}

void TMeasurementPresenter::ShowGroupMissing(TValueGroup group, bool threeWire,
                                             TMissingReason reason) {
  Refreshed(RefreshTime(group));
  const auto hide = [&](const auto& slots) {
    for (TSlot slot : slots) FCells[slot].SetMissing(reason);
  };
  switch (group) {
    case TValueGroup::MainValues:
      if (threeWire) {
        hide(kThreeWireMainSlots);
      } else {
        hide(kFourWireMainSlots);
      }
      return;
    case TValueGroup::Frequency:
      hide(std::array{slotF});
      return;
    case TValueGroup::TotalCos:
      hide(std::array{slotCos});
      return;
    case TValueGroup::PhaseCos:
      hide(std::array{slotCosA, slotCosB, slotCosC});
      return;
  }
}

bool TMeasurementPresenter::ShowTotalCosRefused(int32_t exceptionCode) {
  constexpr int32_t kIllegalDataAddress = 2;
  if (exceptionCode == kIllegalDataAddress) {
    FCells.SetNone({slotCos, slotCosA, slotCosB, slotCosC});
    return false;
  }
  ShowGroupMissing(TValueGroup::TotalCos, false, TMissingReason::DeviceException);
  return true;
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

}  // namespace vela
