// One response from the line, in RTU or ASCII framing, parsed for any register
// block as a read or a write answer: only the two Modbus exception classes may
// come out, and a failed parse leaves the block's registers as they were.

#include <memory>
#include <vector>

#include "fuzz/FuzzInput.h"
#include "modbus/ModbusBlockOps.h"
#include "tests/modbus/AllBlocks.h"

using namespace vela;

namespace {

template <typename Parse>
void ExpectUnchangedOnFailure(const std::vector<uint16_t>& registers, Parse parse) {
  const std::vector<uint16_t> before = registers;
  try {
    parse();
  } catch (const TModbusLinkException&) {
    if (registers != before) fuzz::Violated();
  } catch (const TModbusLogicException&) {
    if (registers != before) fuzz::Violated();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static vela::test::AllBlocks blocks;
  fuzz::FuzzInput input(data, size);
  const uint8_t choice = input.Take();
  TModbusPacker packer(input.Take());
  packer.RtuMode = (choice & 1) == 0;
  const Octets frame = input.Rest();
  const size_t block = (choice >> 1) % (blocks.values.size() + 2 * blocks.params.size());
  if (block < blocks.values.size()) {
    TModbusValues& values = *blocks.values[block];
    ExpectUnchangedOnFailure(values.Registers, [&] { ParseValues(packer, values, frame); });
    return 0;
  }
  const size_t param = block - blocks.values.size();
  TModbusParams& params = *blocks.params[param % blocks.params.size()];
  if (param < blocks.params.size()) {
    ExpectUnchangedOnFailure(params.Registers, [&] { ParseParams(packer, params, frame); });
  } else {
    ExpectUnchangedOnFailure(params.Registers, [&] { ParseWriteParams(packer, params, frame); });
  }
  return 0;
}
