#pragma once
// The read/write blocks: the device clock, the settings of its working
// (RS-485) interface, the network type, its IEC 60870-5-101 options and the
// finalising register written after every configuration write.

#include <cstdint>

#include "modbus/ModbusBlocks.h"

namespace vela {

// Registers 27..28: device clock, seconds since 01.01.2000 00:00:00; register
// 27 is the low half.
class TModbusParamsTime : public TModbusParams {
 public:
  TModbusParamsTime();
  uint32_t GetSeconds() const { return LowFirstDWordAt(0); }
  void SetSeconds(uint32_t seconds) { SetLowFirstDWordAt(0, seconds); }
};

// Register 20580: written (always 0) as the last step of a configuration write.
class TModbusParamsFinalize : public TModbusParams {
 public:
  TModbusParamsFinalize();
};

// Registers 20662..20677: the working interface. Words 6..9 have no fields
// and go back to the device as last read.
class TModbusParamsLink : public TModbusParams {
 public:
  TModbusParamsLink();
  // 0 MODBUS RTU, 1 MODBUS ASCII, 2 IEC 60870-5-101.
  uint8_t GetProtocol() const { return OctetAt(0); }
  void SetProtocol(uint8_t value) { SetOctetAt(0, value); }
  // 1..247.
  uint8_t GetDeviceAddress() const { return OctetAt(1); }
  void SetDeviceAddress(uint8_t value) { SetOctetAt(1, value); }
  // 0 = 9600, 1 = 19200, 2 = 38400, 3 = 57600, 4 = 76800, 5 = 115200, 6 = 230400.
  uint8_t GetSpeedIndex() const { return OctetAt(2); }
  void SetSpeedIndex(uint8_t value) { SetOctetAt(2, value); }
  // 0 even parity + 1 stop, 1 odd parity + 1 stop, 2 no parity + 2 stop.
  uint8_t GetFrameIndex() const { return OctetAt(3); }
  void SetFrameIndex(uint8_t value) { SetOctetAt(3, value); }
  uint8_t GetNormalisationType() const { return OctetAt(4); }
  void SetNormalisationType(uint8_t value) { SetOctetAt(4, value); }
  // Non-zero word = 3-wire network.
  bool GetThreeWire() const { return Registers[5] != 0; }
  void SetThreeWire(bool value) { Registers[5] = value ? 1 : 0; }
  // Words 10..11, word 10 the LOW half (unlike TMbusDevInfo's Serial).
  uint32_t GetSerialNumber() const { return LowFirstDWordAt(10); }
  uint8_t GetIecLinkAddressLength() const { return OctetAt(12); }
  void SetIecLinkAddressLength(uint8_t value) { SetOctetAt(12, value); }
  uint8_t GetIecCotLength() const { return OctetAt(13); }
  void SetIecCotLength(uint8_t value) { SetOctetAt(13, value); }
  uint8_t GetIecCommonAddressLength() const { return OctetAt(14); }
  void SetIecCommonAddressLength(uint8_t value) { SetOctetAt(14, value); }
  uint8_t GetIecIoaLength() const { return OctetAt(15); }
  void SetIecIoaLength(uint8_t value) { SetOctetAt(15, value); }
};

// Registers 20666..20667: the same words as 4 and 5 of TModbusParamsLink.
class TModbusParamsMain : public TModbusParams {
 public:
  TModbusParamsMain();
  uint8_t GetNormalisationType() const { return OctetAt(0); }
  void SetNormalisationType(uint8_t value) { SetOctetAt(0, value); }
  bool GetThreeWire() const { return Registers[1] != 0; }
  void SetThreeWire(bool value) { Registers[1] = value ? 1 : 0; }
};

// Register 20678: ASDU type of measured values, 13 (M_ME_NC_1) or 14 (M_ME_TC_1).
class TModbusParamsLink2 : public TModbusParams {
 public:
  TModbusParamsLink2();
  uint8_t GetIecAsduType() const { return OctetAt(0); }
  void SetIecAsduType(uint8_t value) { SetOctetAt(0, value); }
};

// Registers 20679..20680: cyclic transmission on/off and its interval.
class TModbusParamsLink3 : public TModbusParams {
 public:
  TModbusParamsLink3();
  uint16_t GetIecCyclic() const { return Registers[0]; }
  // Only the low seven bits are stored.
  void SetIecCyclic(uint16_t value) { Registers[0] = value & 0x7F; }
  uint16_t GetIecCycleInterval() const { return Registers[1]; }
  void SetIecCycleInterval(uint16_t value) { Registers[1] = value; }
};

// Register 20682: common address of ASDU.
class TModbusParamsLink4 : public TModbusParams {
 public:
  TModbusParamsLink4();
  uint16_t GetIecCommonAddress() const { return Registers[0]; }
  void SetIecCommonAddress(uint16_t value) { Registers[0] = value; }
};

}  // namespace vela
