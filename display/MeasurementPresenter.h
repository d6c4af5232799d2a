#pragma once
// Turns what the device sends into the cells: Modbus register blocks with
// their scale, sign and out-of-range markers, exception responses, IEC
// 60870-5-101 measured values with their quality; hides values that are no
// longer refreshed; keeps the text of the device clock field.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "common/Clock.h"
#include "display/MeasurementCells.h"
#include "display/RegisterNormalisation.h"
#include "modbus/ModbusParamBlocks.h"
#include "modbus/ModbusValueBlocks.h"

namespace vela {

// A value group older than this is hidden by the staleness pass.
constexpr int64_t kStaleAfterMs = 2000;
// Clock field text when the device refuses to give its time.
inline constexpr const char* kNoDeviceClockText = "нет";

// Quality descriptor bits of IEC 60870-5-101 measured values.
enum TIecQuality : uint8_t {
  iqOverflow = 0x01,     // OV
  iqBlocked = 0x10,      // BL
  iqSubstituted = 0x20,  // SB
  iqNotTopical = 0x40,   // NT
  iqInvalid = 0x80,      // IV
};

class TMeasurementPresenter {
 public:
  TMeasurementPresenter(TMeasurementCells& cells, const Clock& clock);

  // Completions of the read jobs: the group's refresh time becomes now, then
  // the registers fill the cells. mainPrm gives the normalisation type.
  void ShowMainValues4(const TModbusValues4Wire& block, const TModbusParamsMain& mainPrm);
  // Also hides every cell a 3-wire network does not have.
  void ShowMainValues3(const TModbusValues3Wire& block, const TModbusParamsMain& mainPrm);
  void ShowFrequency(const TModbusValuesF& block, const TModbusParamsMain& mainPrm);
  void ShowTotalCos(const TModbusValues3Cos& block, const TModbusParamsMain& mainPrm);
  void ShowPhaseCos(const TModbusValues4Cos& block, const TModbusParamsMain& mainPrm);

  // The device answered a read with a Modbus exception response.
  void ShowMainValuesRefused(const TModbusParamsMain& mainPrm);
  void ShowFrequencyRefused();
  // Returns whether the device has power-factor registers: code 2 (illegal
  // data address) says it has none, and all four power-factor cells vanish.
  bool ShowTotalCosRefused(int32_t exceptionCode);
  void ShowPhaseCosRefused();

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

  // IEC 60870-5-101: every received data message first hides all cells, then
  // each value goes to slot address - 1 (addresses 1..28; others are ignored).
  void HideAllCells() { FCells.SetAllNone(); }
  void ShowIecValue(uint32_t address, double value, uint8_t quality);
  // The clock field shows the device time an IEC 60870-5-101 answer carried.
  void ShowIecClockText(const std::string& text) { SetClockText(text); }

 private:
  struct TRegisterRule {
    TSlot Slot;
    int Register;  // index within the block
    TRegisterKind Kind;
    double Scale;
  };
  template <size_t N>
  void ApplyRules(const TModbusValues& block, const TRegisterRule (&rules)[N], uint8_t type);
  void ShowRegister(TSlot slot, uint16_t raw, TRegisterKind kind, double scale, uint8_t type);
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
