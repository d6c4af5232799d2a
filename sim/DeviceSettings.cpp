#include "sim/DeviceSettings.h"

#include <utility>

namespace vela {
namespace {
constexpr int kOldFirmwareTopSpeedIndex = 3;  // 57600

bool InRange(uint16_t value, uint16_t low, uint16_t high) {
  return value >= low && value <= high;
}
}  // namespace

DeviceSettings::DeviceSettings(const SettingsInit& init)
    : oldFirmware_(init.oldFirmware), active_(init.link) {
  link_[0] = static_cast<uint16_t>(init.link.protocol);
  link_[1] = init.link.address;
  link_[2] = static_cast<uint16_t>(init.link.speedIndex);
  link_[3] = static_cast<uint16_t>(init.link.frameIndex);
  link_[4] = static_cast<uint16_t>(init.normalisation & 0xFF);
  link_[5] = init.threeWire ? 1 : 0;
  link_[10] = static_cast<uint16_t>(init.serial & 0xFFFF);
  link_[11] = static_cast<uint16_t>(init.serial >> 16);
  link_[12] = init.iec.linkAddressLength;
  link_[13] = init.iec.cotLength;
  link_[14] = init.iec.commonAddressLength;
  link_[15] = init.iec.ioaLength;
  link2_ = init.iec.asduType;
  link3_ = {init.iec.cyclic, init.iec.cycleInterval};
  link4_ = init.iec.commonAddress;
}

const uint16_t* DeviceSettings::Slot(uint16_t address) const {
  if (address == reg::kFinalize) return &finalize_;
  if (address >= reg::kLink && address < reg::kLink + reg::kLinkCount) {
    return &link_[address - reg::kLink];
  }
  if (oldFirmware_) return nullptr;
  if (address == reg::kLink2) return &link2_;
  if (address == reg::kLink3 || address == reg::kLink3 + 1) return &link3_[address - reg::kLink3];
  if (address == reg::kLink4) return &link4_;
  return nullptr;
}

uint16_t* DeviceSettings::MutableSlot(uint16_t address) {
  return const_cast<uint16_t*>(std::as_const(*this).Slot(address));
}

bool DeviceSettings::Has(uint16_t address) const {
  return Slot(address) != nullptr;
}

uint16_t DeviceSettings::Get(uint16_t address) const {
  const uint16_t* slot = Slot(address);
  return slot ? *slot : 0;
}

bool DeviceSettings::Accepts(uint16_t address, uint16_t value) const {
  switch (address) {
    case reg::kLink + 0:  // protocol
      return value <= 2;
    case reg::kLink + 1:  // device address
      return InRange(value, 1, 247);
    case reg::kLink + 2:  // speed index
      return value <= (oldFirmware_ ? kOldFirmwareTopSpeedIndex : kSpeedCount - 1);
    case reg::kLink + 3:  // frame index
      return value <= 2;
    case reg::kNormalisation:
      return InRange(value, 2, 4);
    case reg::kLink + 12:  // IEC link address length
      return value <= 2;
    case reg::kLink + 13:  // IEC cause of transmission length
    case reg::kLink + 14:  // IEC common address length
      return InRange(value, 1, 2);
    case reg::kLink + 15:  // IEC information object address length
      return InRange(value, 1, 3);
    case reg::kLink2:  // ASDU type of measured values
      return value == 13 || value == 14;
    case reg::kLink4:  // IEC common address of ASDU
      return value != 0 && value != 0xFFFF;
    default:
      return true;
  }
}

ModbusError DeviceSettings::Write(uint16_t start, const std::vector<uint16_t>& values) {
  for (size_t i = 0; i < values.size(); ++i) {
    if (!Accepts(static_cast<uint16_t>(start + i), values[i])) return ModbusError::IllegalDataValue;
  }
  for (size_t i = 0; i < values.size(); ++i) {
    const auto address = static_cast<uint16_t>(start + i);
    // The serial number is the factory's: a write back of it changes nothing.
    if (address == reg::kSerialLow || address == reg::kSerialHigh) continue;
    if (address == reg::kFinalize) continue;  // reads back as 0
    *MutableSlot(address) = values[i];
  }
  return ModbusError::None;
}

IecOptions DeviceSettings::Iec() const {
  IecOptions iec;
  iec.linkAddressLength = link_[12];
  iec.cotLength = link_[13];
  iec.commonAddressLength = link_[14];
  iec.ioaLength = link_[15];
  if (!oldFirmware_) {
    iec.asduType = link2_;
    iec.cyclic = link3_[0];
    iec.cycleInterval = link3_[1];
    iec.commonAddress = link4_;
  }
  return iec;
}

void DeviceSettings::Finalize() {
  LinkSettings next;
  next.protocol = static_cast<LinkProtocol>(link_[0]);
  next.address = static_cast<uint8_t>(link_[1]);
  next.speedIndex = link_[2];
  next.frameIndex = link_[3];
  if (next == active_) return;
  active_ = next;
  ++generation_;
}

}  // namespace vela
