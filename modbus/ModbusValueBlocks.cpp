#include "modbus/ModbusValueBlocks.h"

namespace vela {

TModbusValuesF::TModbusValuesF() : TModbusValues(0, 1) {
  Timeout = 250;
}

TModbusValues4Wire::TModbusValues4Wire() : TModbusValuesMain(1, 23) {
  Timeout = 300;
}

TModbusValues3Wire::TModbusValues3Wire() : TModbusValuesMain(1, 9) {
  Timeout = 250;
}

TModbusValues4Cos::TModbusValues4Cos() : TModbusValues(24, 3) {
  Timeout = 250;
}

TModbusValues3Cos::TModbusValues3Cos() : TModbusValues(29, 1) {
  Timeout = 250;
}

TMbusDevInfo::TMbusDevInfo() : TModbusValues(0x0300, 8) {
  Timeout = 250;
}

}  // namespace vela
