#pragma once
// The block-level operations: the request frame for a block and the parse of
// its response into the block. A read replaces the block's registers only
// when every check has passed.

#include "common/ArkTypes.h"
#include "modbus/ModbusBlocks.h"
#include "modbus/ModbusPacker.h"

namespace vela {

// Function 4 for StartAddress and the block's register count.
Octets RequestValues(const TModbusPacker& packer, const TModbusValues& block);
// Function 3 for StartAddress and the block's register count.
Octets RequestParams(const TModbusPacker& packer, const TModbusParams& block);
// Function 16 with all registers of the block.
Octets RequestWriteParams(const TModbusPacker& packer, const TModbusParams& block);

// Each parse increments packer.ResponseCount, unwraps a copy of received and
// checks it; failures raise TModbusLinkException or TModbusLogicException.
void ParseValues(TModbusPacker& packer, TModbusValues& block, const Octets& received);
void ParseParams(TModbusPacker& packer, TModbusParams& block, const Octets& received);
// The block's registers are not changed.
void ParseWriteParams(TModbusPacker& packer, const TModbusParams& block, const Octets& received);

}  // namespace vela
