#pragma once
// The holding registers that keep the device's settings: the link block of the
// working interface (with the normalisation type and the network type inside
// it), link blocks 2 to 4 with the IEC 60870-5-101 options, and the finalize
// register. Written link settings are stored at once but the working
// interface switches to them only when the finalize register is written.

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/LinkSettings.h"

namespace vela {

namespace reg {
constexpr uint16_t kClockLow = 27;
constexpr uint16_t kClockHigh = 28;
constexpr uint16_t kFinalize = 20580;
constexpr uint16_t kLink = 20662;  // 16 registers
constexpr uint16_t kLinkCount = 16;
constexpr uint16_t kNormalisation = 20666;
constexpr uint16_t kThreeWire = 20667;
constexpr uint16_t kSerialLow = 20672;
constexpr uint16_t kSerialHigh = 20673;
constexpr uint16_t kLink2 = 20678;
constexpr uint16_t kLink3 = 20679;  // 2 registers
constexpr uint16_t kLink4 = 20682;
constexpr uint16_t kIdent = 768;  // 8 input registers
constexpr uint16_t kIdentCount = 8;
}  // namespace reg

// Modbus exception codes the device answers with.
enum class ModbusError : uint8_t {
  None = 0,
  IllegalFunction = 1,
  IllegalDataAddress = 2,
  IllegalDataValue = 3,
  Busy = 6,
};

struct IecOptions {
  uint16_t linkAddressLength = 1, cotLength = 1, commonAddressLength = 1, ioaLength = 2;
  uint16_t asduType = 13, cyclic = 0, cycleInterval = 1000, commonAddress = 1;
};

struct SettingsInit {
  LinkSettings link;
  int normalisation = 3;
  bool threeWire = false;
  uint32_t serial = 0;
  bool oldFirmware = false;  // no link blocks 2..4, speeds only up to 57600
  IecOptions iec;
};

class DeviceSettings {
 public:
  explicit DeviceSettings(const SettingsInit& init);

  // True when the device has this holding register (the clock excluded).
  bool Has(uint16_t address) const;
  uint16_t Get(uint16_t address) const;
  // Every address must satisfy Has. Checks all values first; on a refused
  // value nothing changes and IllegalDataValue is returned.
  ModbusError Write(uint16_t start, const std::vector<uint16_t>& values);
  // The finalize register was written: the working interface takes the
  // stored link settings.
  void Finalize();

  const LinkSettings& ActiveLink() const { return active_; }
  // Counts the changes of ActiveLink.
  uint32_t LinkGeneration() const { return generation_; }
  int Normalisation() const { return Get(reg::kNormalisation) & 0xFF; }
  // The IEC 60870-5-101 options as the link blocks hold them now (link
  // blocks 2..4 read as the factory values on old firmware).
  IecOptions Iec() const;
  bool ThreeWire() const { return Get(reg::kThreeWire) != 0; }

 private:
  bool Accepts(uint16_t address, uint16_t value) const;
  const uint16_t* Slot(uint16_t address) const;
  uint16_t* MutableSlot(uint16_t address);

  bool oldFirmware_;
  std::array<uint16_t, reg::kLinkCount> link_{};
  uint16_t link2_ = 0;
  std::array<uint16_t, 2> link3_{};
  uint16_t link4_ = 0;
  uint16_t finalize_ = 0;
  LinkSettings active_;
  uint32_t generation_ = 0;
};

}  // namespace vela
