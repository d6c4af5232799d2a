#pragma once
// Turns what the device sends into the cells: readings of either protocol
// (see Reading.h), groups that brought nothing; hides values that are no
// longer refreshed; keeps the text of the device clock field.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/Clock.h"
#include "display/MeasurementCells.h"
#include "display/Reading.h"
#include "modbus/ModbusParamBlocks.h"

namespace vela {

// A value group older than this is hidden by the staleness pass.
constexpr int64_t kStaleAfterMs = 2000;
// Clock field text when the device refuses to give its time.
inline constexpr const char* kNoDeviceClockText = "нет";

// The value groups the Modbus reads refresh, each with its own age.
enum class TValueGroup : uint8_t { MainValues, Frequency, TotalCos, PhaseCos };

class TMeasurementPresenter {
 public:
  TMeasurementPresenter(TMeasurementCells& cells, const Clock& clock);

  // Completion of a read job: the group's refresh time becomes now, then the
  // reading fills the cells.
  void ShowReading(TValueGroup group, const TReading& reading);
  // A reading that refreshes no group (IEC 60870-5-101 readings have their
  // own end). Each value goes to its slot; the first quality flag set, in the
  // order absent, overflow, substituted, blocked, not topical, invalid,
  // decides what the cell shows.
  void ShowReading(const TReading& reading);

  // A group asked for in this reading brought no values (no answer, a broken
  // answer, a Modbus exception response): its cells are hidden with the
  // reason, never left at the values of an earlier reading, and the group
  // counts as refreshed so that the staleness pass keeps the reason.
  // threeWire picks the main values' cells.
  void ShowGroupMissing(TValueGroup group, bool threeWire, TMissingReason reason);
  // The device refused the total power factor. Returns whether it has
  // power-factor registers: code 2 (illegal data address) says it has none,
  // and all four power-factor cells vanish; another code hides the total as
  // refused.
  bool ShowTotalCosRefused(int32_t exceptionCode);

  // The device clock field: seconds since 01.01.2000 as "DD.MM.YYYY hh:mm:ss".
  void ShowDeviceClock(uint32_t seconds);
  // The device refused to give its time: the field shows "нет".
  void ShowDeviceClockRefused();
  void ClearDeviceClock();
  const std::string& DeviceClockText() const { return FClockText; }
  // Called whenever the clock field's text changes.
  std::function<void(const std::string&)> OnDeviceClockText;

  // The staleness pass of a timer tick: every group not refreshed within the
  // last 2000 ms is hidden, and the clock field is emptied. The caller then
  // redraws the panel.
  void ClearStaleValues(const TModbusParamsMain& mainPrm);

  // IEC 60870-5-101: a reading begins with all cells hidden.
  void HideAllCells() { FCells.SetAllNone(); }
  // The clock field shows the device time an IEC 60870-5-101 answer carried.
  void ShowIecClockText(const std::string& text) { SetClockText(text); }

 private:
  std::optional<int64_t>& RefreshTime(TValueGroup group);
  void Refreshed(std::optional<int64_t>& group) { group = FClock.MonotonicMs(); }
  bool IsStale(const std::optional<int64_t>& group) const;
  void SetClockText(const std::string& text);

  TMeasurementCells& FCells;
  const Clock& FClock;
  // Monotonic milliseconds of the last refresh; empty: never refreshed.
  std::optional<int64_t> FMainValuesTime, FFrequencyTime, FTotalCosTime, FPhaseCosTime, FClockTime;
  std::string FClockText;
};

}  // namespace vela
