#pragma once
// One object of every register block, for tests that go over all of them.

#include <vector>

#include "modbus/ModbusParamBlocks.h"
#include "modbus/ModbusValueBlocks.h"

namespace vela::test {

struct AllBlocks {
  TModbusValuesF f;
  TModbusValues4Wire four;
  TModbusValues3Wire three;
  TModbusValues4Cos cos4;
  TModbusValues3Cos cos3;
  TMbusDevInfo info;
  TModbusParamsTime time;
  TModbusParamsFinalize finalize;
  TModbusParamsLink link;
  TModbusParamsMain main;
  TModbusParamsLink2 link2;
  TModbusParamsLink3 link3;
  TModbusParamsLink4 link4;
  std::vector<TModbusValues*> values{&f, &four, &three, &cos4, &cos3, &info};
  std::vector<TModbusParams*> params{&time, &finalize, &link, &main, &link2, &link3, &link4};
};

}  // namespace vela::test
