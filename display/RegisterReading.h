#pragma once
// The device's Modbus register blocks as readings: each register scaled to
// its unit, read as signed or unsigned, and its out-of-range marker (by the
// normalisation type mainPrm gives, see RegisterNormalisation.h) an overflow.

#include "display/Reading.h"
#include "modbus/ModbusParamBlocks.h"
#include "modbus/ModbusValueBlocks.h"

namespace vela {

TReading DecodeRegisters(const TModbusValues4Wire& block, const TModbusParamsMain& mainPrm);
// Also the cells a 3-wire network does not have, as absent.
TReading DecodeRegisters(const TModbusValues3Wire& block, const TModbusParamsMain& mainPrm);
TReading DecodeRegisters(const TModbusValuesF& block, const TModbusParamsMain& mainPrm);
TReading DecodeRegisters(const TModbusValues3Cos& block, const TModbusParamsMain& mainPrm);
TReading DecodeRegisters(const TModbusValues4Cos& block, const TModbusParamsMain& mainPrm);

}  // namespace vela
