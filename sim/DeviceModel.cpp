#include "sim/DeviceModel.h"

#include <cmath>

#include "common/ArkCmnUtils.h"
#include "sim/MeasuredValues.h"
#include "sim/ValueEncoding.h"

namespace vela {
namespace {
constexpr uint16_t kMaxReadCount = 125;  // Modbus limit of functions 3 and 4
constexpr uint16_t kMaxWriteCount = 123;
constexpr double kMsPerDay = 86400000.0;

SettingsInit WithDevice(SettingsInit init, const DeviceConfig& config) {
  init.serial = config.serial;
  init.oldFirmware = config.oldFirmware;
  return init;
}

bool RangeFits(uint16_t start, size_t count) {
  return start + count <= 0x10000;
}
}  // namespace

uint32_t MakeHid(DeviceKind kind, uint8_t modificationIndex) {
  return kMakerCode << 16 | static_cast<uint32_t>(kind) << 8 | modificationIndex;
}

uint32_t MakeSid(uint8_t major, uint8_t minor) {
  return static_cast<uint32_t>(major) << 24 | static_cast<uint32_t>(minor) << 16;
}

DeviceModel::DeviceModel(const DeviceConfig& config, const Clock& clock)
    : config_(config),
      clock_(clock),
      settings_(WithDevice(config.settings, config)),
      busyLeft_(config.busyWrites),
      blockFaults_(config.blockFault) {
  if (config_.oldFirmware) config_.digitalId = 0xFFFF;
}

uint32_t DeviceModel::ClockSeconds() const {
  // Whole seconds (set over Modbus) add exactly; a time set to the
  // millisecond (over IEC 60870-5-101) is rounded like the host's.
  if (clockOffsetMs_ % 1000 != 0) return DateTimeToSeconds(ClockTime());
  return static_cast<uint32_t>(DateTimeToSeconds(clock_.Now()) + clockOffsetMs_ / 1000);
}

TDateTime DeviceModel::ClockTime() const {
  return clock_.Now() + static_cast<double>(clockOffsetMs_) / kMsPerDay;
}

void DeviceModel::SetClockTime(TDateTime time) {
  clockOffsetMs_ = std::llround((time - clock_.Now()) * kMsPerDay);
}

bool DeviceModel::Measures(const QuantityInfo& quantity) const {
  if (config_.oldFirmware && quantity.powerFactor) return false;
  return !(settings_.ThreeWire() && quantity.fourWireOnly);
}

bool DeviceModel::ForcedOutOfRange(const QuantityInfo& quantity) const {
  return config_.outOfRange.count(quantity.reg) != 0;
}

bool DeviceModel::HasInput(uint16_t address) const {
  const QuantityInfo* quantity = QuantityAtRegister(address);
  if (quantity) return !(config_.oldFirmware && quantity->powerFactor);
  return !config_.oldFirmware && address >= reg::kIdent && address < reg::kIdent + reg::kIdentCount;
}

Measurements DeviceModel::MeasureNow(bool voltagesRead) const {
  NetworkState state{settings_.ThreeWire(), config_.outOfRange};
  if (config_.ramp) state.rampReading = voltagesRead ? ++voltageReadings_ : voltageReadings_;
  if (config_.wiring) return MeasureWiring(*config_.wiring, state);
  return Measure(clock_.MonotonicMs(), state);
}

Measurements DeviceModel::CurrentMeasurements() const {
  return MeasureNow(true);
}

std::optional<LineFault> DeviceModel::TakeReadFault(bool inputRegisters, uint16_t start) {
  const std::optional<ValueBlock> block = BlockOfRead(inputRegisters, start);
  return block ? blockFaults_.ForRead(*block) : std::nullopt;
}

uint16_t DeviceModel::IdentRegister(uint16_t address) const {
  switch (address - reg::kIdent) {
    case 0:
      return static_cast<uint16_t>(config_.serial >> 16);
    case 1:
      return static_cast<uint16_t>(config_.serial);
    case 2:
      return static_cast<uint16_t>(config_.hid >> 16);
    case 3:
      return static_cast<uint16_t>(config_.hid);
    case 4:
      return static_cast<uint16_t>(config_.sid >> 16);
    case 5:
      return static_cast<uint16_t>(config_.sid);
    case 7:
      return config_.digitalId;
    default:
      return 0;
  }
}

uint16_t DeviceModel::InputRegister(uint16_t address, const Measurements& m) const {
  const QuantityInfo* quantity = QuantityAtRegister(address);
  if (!quantity) return IdentRegister(address);
  return EncodeMeasured(m[address], quantity->step, quantity->isSigned, settings_.Normalisation());
}

ModbusError DeviceModel::ReadInputRegisters(uint16_t start, uint16_t count,
                                            std::vector<uint16_t>& values) const {
  if (count < 1 || count > kMaxReadCount) return ModbusError::IllegalDataValue;
  if (!RangeFits(start, count)) return ModbusError::IllegalDataAddress;
  for (uint32_t a = start; a < start + count; ++a) {
    if (!HasInput(static_cast<uint16_t>(a))) return ModbusError::IllegalDataAddress;
  }
  // One instant for the whole answer, so that its values agree.
  constexpr uint16_t kFirstVoltage = 4;  // Uab
  const Measurements m = MeasureNow(start <= kFirstVoltage && start + count > kFirstVoltage);
  values.clear();
  for (uint32_t a = start; a < start + count; ++a) {
    values.push_back(InputRegister(static_cast<uint16_t>(a), m));
  }
  return ModbusError::None;
}

bool DeviceModel::HasHolding(uint16_t address) const {
  return address == reg::kClockLow || address == reg::kClockHigh || settings_.Has(address);
}

ModbusError DeviceModel::ReadHoldingRegisters(uint16_t start, uint16_t count,
                                              std::vector<uint16_t>& values) const {
  if (count < 1 || count > kMaxReadCount) return ModbusError::IllegalDataValue;
  if (!RangeFits(start, count)) return ModbusError::IllegalDataAddress;
  for (uint32_t a = start; a < start + count; ++a) {
    if (!HasHolding(static_cast<uint16_t>(a))) return ModbusError::IllegalDataAddress;
  }
  const uint32_t seconds = ClockSeconds();
  values.clear();
  for (uint32_t a = start; a < start + count; ++a) {
    if (a == reg::kClockLow) {
      values.push_back(static_cast<uint16_t>(seconds));
    } else if (a == reg::kClockHigh) {
      values.push_back(static_cast<uint16_t>(seconds >> 16));
    } else {
      values.push_back(settings_.Get(static_cast<uint16_t>(a)));
    }
  }
  return ModbusError::None;
}

void DeviceModel::WriteClock(uint16_t address, uint16_t value) {
  uint32_t seconds = ClockSeconds();
  if (address == reg::kClockLow) {
    seconds = (seconds & 0xFFFF0000u) | value;
  } else {
    seconds = (seconds & 0xFFFFu) | static_cast<uint32_t>(value) << 16;
  }
  clockOffsetMs_ = (static_cast<int64_t>(seconds) - DateTimeToSeconds(clock_.Now())) * 1000;
}

ModbusError DeviceModel::WriteRegisters(uint16_t start, const std::vector<uint16_t>& values) {
  if (values.empty() || values.size() > kMaxWriteCount) return ModbusError::IllegalDataValue;
  if (busyLeft_ > 0) {
    --busyLeft_;
    return ModbusError::Busy;
  }
  if (!RangeFits(start, values.size())) return ModbusError::IllegalDataAddress;
  bool finalize = false;
  for (size_t i = 0; i < values.size(); ++i) {
    const auto address = static_cast<uint16_t>(start + i);
    if (!HasHolding(address)) return ModbusError::IllegalDataAddress;
    finalize = finalize || address == reg::kFinalize;
  }
  // The clock and the settings never share a write: no register joins them.
  if (start == reg::kClockLow || start == reg::kClockHigh) {
    for (size_t i = 0; i < values.size(); ++i) {
      WriteClock(static_cast<uint16_t>(start + i), values[i]);
    }
    return ModbusError::None;
  }
  const ModbusError error = settings_.Write(start, values);
  if (error == ModbusError::None && finalize) settings_.Finalize();
  return error;
}

}  // namespace vela
