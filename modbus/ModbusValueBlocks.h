#pragma once
// The read-only blocks: measured values and the device identification. The
// measured-value getters return the raw registers; scaling belongs to the
// presentation of the values.

#include <cstdint>

#include "modbus/ModbusBlocks.h"

namespace vela {

// Register 0: frequency.
class TModbusValuesF : public TModbusValues {
 public:
  TModbusValuesF();
  uint16_t GetFrequency() const { return RegisterAt(0); }
};

// Registers 1..9, the same in both network types: totals, line voltages
// and phase currents.
class TModbusValuesMain : public TModbusValues {
 public:
  using TModbusValues::TModbusValues;
  uint16_t GetP() const { return RegisterAt(1); }
  uint16_t GetQ() const { return RegisterAt(2); }
  uint16_t GetS() const { return RegisterAt(3); }
  uint16_t GetUab() const { return RegisterAt(4); }
  uint16_t GetUbc() const { return RegisterAt(5); }
  uint16_t GetUca() const { return RegisterAt(6); }
  uint16_t GetIa() const { return RegisterAt(7); }
  uint16_t GetIb() const { return RegisterAt(8); }
  uint16_t GetIc() const { return RegisterAt(9); }
};

// Registers 1..23: totals, line and phase quantities of a 4-wire network.
class TModbusValues4Wire : public TModbusValuesMain {
 public:
  TModbusValues4Wire();
  uint16_t GetIo() const { return RegisterAt(10); }
  uint16_t GetUa() const { return RegisterAt(11); }
  uint16_t GetUb() const { return RegisterAt(12); }
  uint16_t GetUc() const { return RegisterAt(13); }
  uint16_t GetUo() const { return RegisterAt(14); }
  uint16_t GetPa() const { return RegisterAt(15); }
  uint16_t GetPb() const { return RegisterAt(16); }
  uint16_t GetPc() const { return RegisterAt(17); }
  uint16_t GetQa() const { return RegisterAt(18); }
  uint16_t GetQb() const { return RegisterAt(19); }
  uint16_t GetQc() const { return RegisterAt(20); }
  uint16_t GetSa() const { return RegisterAt(21); }
  uint16_t GetSb() const { return RegisterAt(22); }
  uint16_t GetSc() const { return RegisterAt(23); }
};

// Registers 1..9: totals and line quantities of a 3-wire network.
class TModbusValues3Wire : public TModbusValuesMain {
 public:
  TModbusValues3Wire();
};

// Registers 24..26: phase power factors.
class TModbusValues4Cos : public TModbusValues {
 public:
  TModbusValues4Cos();
  uint16_t GetCosA() const { return RegisterAt(24); }
  uint16_t GetCosB() const { return RegisterAt(25); }
  uint16_t GetCosC() const { return RegisterAt(26); }
};

// Register 29: total power factor.
class TModbusValues3Cos : public TModbusValues {
 public:
  TModbusValues3Cos();
  uint16_t GetCos() const { return RegisterAt(29); }
};

// Registers 768..775: identification. The 32-bit fields are high word first.
class TMbusDevInfo : public TModbusValues {
 public:
  TMbusDevInfo();
  uint32_t GetSerial() const { return GetDWord(0); }
  uint32_t GetHID() const { return GetDWord(1); }
  uint32_t GetSID() const { return GetDWord(2); }
  uint16_t GetDigitalId() const { return GetRegister(7); }
};

}  // namespace vela
