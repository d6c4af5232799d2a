#pragma once
// Faults aimed at the MODBUS reads of one measured-value block: every k-th
// read of that block goes unanswered or is refused as busy, while the other
// blocks are answered as usual. A reading then lacks just that block.

#include <cstdint>
#include <optional>
#include <string>

#include "sim/Faults.h"

namespace vela {

// The block a read is of, by its register kind (input or holding) and first
// register; none for reads outside the read cycle.
std::optional<ValueBlock> BlockOfRead(bool inputRegisters, uint16_t start);
// "values", "f", "time", "cos3", "cos4".
std::optional<ValueBlock> ValueBlockNamed(const std::string& name);

class BlockFaultCounter {
 public:
  explicit BlockFaultCounter(const BlockFault& fault) : fault_(fault) {}
  // Counts a read of block; the fault it gets, if any.
  std::optional<LineFault> ForRead(ValueBlock block);

 private:
  BlockFault fault_;
  int64_t reads_ = 0;  // of the faulted block
};

}  // namespace vela
