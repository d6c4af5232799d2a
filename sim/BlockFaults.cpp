#include "sim/BlockFaults.h"

namespace vela {
namespace {

struct BlockRead {
  ValueBlock block;
  const char* name;
  bool inputRegisters;
  uint16_t start;
};

constexpr BlockRead kBlocks[] = {
    {ValueBlock::kValues, "values", true, 1},  {ValueBlock::kFrequency, "f", true, 0},
    {ValueBlock::kClock, "time", false, 27},   {ValueBlock::kTotalCos, "cos3", true, 29},
    {ValueBlock::kPhaseCos, "cos4", true, 24},
};

}  // namespace

std::optional<ValueBlock> BlockOfRead(bool inputRegisters, uint16_t start) {
  for (const BlockRead& read : kBlocks) {
    if (read.inputRegisters == inputRegisters && read.start == start) return read.block;
  }
  return std::nullopt;
}

std::optional<ValueBlock> ValueBlockNamed(const std::string& name) {
  for (const BlockRead& read : kBlocks) {
    if (name == read.name) return read.block;
  }
  return std::nullopt;
}

std::optional<LineFault> BlockFaultCounter::ForRead(ValueBlock block) {
  if (fault_.block != block || fault_.every <= 0) return std::nullopt;
  if (++reads_ % fault_.every != 0) return std::nullopt;
  return fault_.kind;
}

}  // namespace vela
