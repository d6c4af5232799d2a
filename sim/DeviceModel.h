#pragma once
// The simulated Vela device behind its Modbus interfaces: the identification
// block, the measured values, the clock and the settings, reached through
// register reads and writes. It knows nothing of frames or lines.

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "common/Clock.h"
#include "sim/BlockFaults.h"
#include "sim/DeviceSettings.h"
#include "sim/MeasuredValues.h"
#include "sim/WiringNetwork.h"

namespace vela {

constexpr uint32_t kMakerCode = 0x4152;  // "AR"
enum class DeviceKind : uint8_t { Vela = 1, Kant = 2, Porta = 3 };

// Maker code in bits 31..16, kind in bits 15..8, modification index in 7..0.
uint32_t MakeHid(DeviceKind kind, uint8_t modificationIndex);
// Major version in bits 31..24, minor version in bits 23..16.
uint32_t MakeSid(uint8_t major, uint8_t minor);

struct DeviceConfig {
  uint32_t hid = MakeHid(DeviceKind::Vela, 0);
  uint32_t sid = MakeSid(1, 3);
  uint16_t digitalId = 0x5A3C;
  uint32_t serial = 123456;
  // No identification block, no link blocks 2..4, no power factors.
  bool oldFirmware = false;
  int busyWrites = 0;             // the first writes answered "busy"
  std::set<uint16_t> outOfRange;  // input registers forced beyond range
  // A steady network wired with faults instead of the drifting one.
  std::optional<WiringNetwork> wiring;
  // The voltages rise by a step with every reading of them, so that no two
  // readings agree (see NetworkState::rampReading).
  bool ramp = false;
  BlockFault blockFault;  // MODBUS reads of one block answered with a fault
  SettingsInit settings;
};

class DeviceModel {
 public:
  // Takes the identity, serial number and firmware age of config into its
  // settings; the clock drives the device clock and the measured values.
  DeviceModel(const DeviceConfig& config, const Clock& clock);

  ModbusError ReadInputRegisters(uint16_t start, uint16_t count,
                                 std::vector<uint16_t>& values) const;
  ModbusError ReadHoldingRegisters(uint16_t start, uint16_t count,
                                   std::vector<uint16_t>& values) const;
  ModbusError WriteRegisters(uint16_t start, const std::vector<uint16_t>& values);

  const DeviceSettings& Settings() const { return settings_; }
  // The physical values at this moment, for protocols that send them as
  // numbers rather than registers; a reading of the voltages (see ramp).
  Measurements CurrentMeasurements() const;
  // The fault aimed at a MODBUS read starting at start, if any; the read is counted.
  std::optional<LineFault> TakeReadFault(bool inputRegisters, uint16_t start);
  // Seconds since 01.01.2000 00:00:00, running with the clock.
  uint32_t ClockSeconds() const;
  // The device clock as a local date-time, to the millisecond.
  TDateTime ClockTime() const;
  void SetClockTime(TDateTime time);
  // Whether the device measures this quantity (not on a 3-wire network when
  // it needs the neutral, no power factors on old firmware).
  bool Measures(const QuantityInfo& quantity) const;
  bool ForcedOutOfRange(const QuantityInfo& quantity) const;

 private:
  bool HasInput(uint16_t address) const;
  // The network now; voltagesRead: this is a further reading of the voltages.
  Measurements MeasureNow(bool voltagesRead) const;
  uint16_t InputRegister(uint16_t address, const Measurements& m) const;
  uint16_t IdentRegister(uint16_t address) const;
  bool HasHolding(uint16_t address) const;
  void WriteClock(uint16_t address, uint16_t value);

  DeviceConfig config_;
  const Clock& clock_;
  DeviceSettings settings_;
  int64_t clockOffsetMs_ = 0;  // device clock minus host clock
  int busyLeft_;
  mutable int64_t voltageReadings_ = 0;
  BlockFaultCounter blockFaults_;
};

}  // namespace vela
