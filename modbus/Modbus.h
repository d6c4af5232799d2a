#pragma once
// The whole Modbus master in one include: packer, exceptions, register blocks
// and the block-level operations.

#include "common/Checksums.h"
#include "modbus/ModbusBlockOps.h"
#include "modbus/ModbusBlocks.h"
#include "modbus/ModbusExceptions.h"
#include "modbus/ModbusMessages.h"
#include "modbus/ModbusPacker.h"
#include "modbus/ModbusParamBlocks.h"
#include "modbus/ModbusValueBlocks.h"
