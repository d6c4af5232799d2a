#include "modbus/ModbusParamBlocks.h"

namespace vela {

TModbusParamsTime::TModbusParamsTime() : TModbusParams(27, 2) {
  Timeout = 350;
}

TModbusParamsFinalize::TModbusParamsFinalize() : TModbusParams(0x5064, 1) {
  Registers[0] = 0;
  Timeout = 500;
}

TModbusParamsLink::TModbusParamsLink() : TModbusParams(0x50B6, 16) {
  Timeout = 300;
}

TModbusParamsMain::TModbusParamsMain() : TModbusParams(0x50BA, 2) {
  Timeout = 300;
}

TModbusParamsLink2::TModbusParamsLink2() : TModbusParams(0x50C6, 1) {
  Timeout = 300;
}

TModbusParamsLink3::TModbusParamsLink3() : TModbusParams(0x50C7, 2) {
  Timeout = 300;
}

TModbusParamsLink4::TModbusParamsLink4() : TModbusParams(0x50CA, 1) {
  Timeout = 300;
}

}  // namespace vela
