#include "modbus/ModbusBlockOps.h"

namespace vela {
namespace {

uint16_t CountOf(const std::vector<uint16_t>& registers) {
  return static_cast<uint16_t>(registers.size());
}

// Unwraps a copy of received and reads it into registers with function.
void ParseRead(TModbusPacker& packer, uint8_t function, std::vector<uint16_t>& registers,
               const Octets& received) {
  ++packer.ResponseCount;
  Octets body = received;
  packer.UnwrapFrame(body, packer.ExpectedReadLength(static_cast<int>(registers.size())));
  packer.ParseReadResponse(function, body, static_cast<int>(registers.size()) - 1, registers);
}

}  // namespace

Octets RequestValues(const TModbusPacker& packer, const TModbusValues& block) {
  return packer.ReadInputRegistersRequest(block.StartAddress, CountOf(block.Registers));
}

Octets RequestParams(const TModbusPacker& packer, const TModbusParams& block) {
  return packer.ReadHoldingRegistersRequest(block.StartAddress, CountOf(block.Registers));
}

Octets RequestWriteParams(const TModbusPacker& packer, const TModbusParams& block) {
  return packer.WriteRegistersRequest(block.StartAddress, block.Registers,
                                      static_cast<int>(block.Registers.size()) - 1);
}

void ParseValues(TModbusPacker& packer, TModbusValues& block, const Octets& received) {
  ParseRead(packer, kModbusReadInputRegisters, block.Registers, received);
}

void ParseParams(TModbusPacker& packer, TModbusParams& block, const Octets& received) {
  ParseRead(packer, kModbusReadHoldingRegisters, block.Registers, received);
}

void ParseWriteParams(TModbusPacker& packer, const TModbusParams& block, const Octets& received) {
  ++packer.ResponseCount;
  Octets body = received;
  packer.UnwrapFrame(body, packer.ExpectedWriteLength());
  packer.ParseWriteResponse(body, block.StartAddress, CountOf(block.Registers));
}

}  // namespace vela
