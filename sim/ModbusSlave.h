#pragma once
// The Modbus application layer of the device: turns a request body (address,
// function, data; the checksum already checked and removed) into the body of
// its answer, or into silence.

#include <cstdint>
#include <optional>

#include "common/ArkTypes.h"
#include "sim/DeviceModel.h"

namespace vela {

constexpr uint8_t kBroadcastAddress = 0;

class ModbusSlave {
 public:
  ModbusSlave(DeviceModel& device, uint8_t address) : device_(device), address_(address) {}

  // The answer body; nothing for another address, for a broadcast (whose
  // write is still carried out) and for a body too short to carry a function.
  std::optional<Octets> Handle(const Octets& request);
  // The fault the device aims at this request, a read of one of its
  // measured-value blocks (see BlockFaults.h); the read is counted.
  std::optional<LineFault> BlockFaultOf(const Octets& request);

  uint8_t Address() const { return address_; }

 private:
  Octets Read(uint8_t function, const Octets& request) const;
  Octets Write(const Octets& request);
  Octets Exception(uint8_t function, ModbusError error) const;

  DeviceModel& device_;
  uint8_t address_;
};

}  // namespace vela
