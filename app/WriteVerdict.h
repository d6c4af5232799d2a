#pragma once
// Where each block of a settings write stands when the write ended before
// its last block: from what the requests came to, settled where possible by
// what the device gave back when its settings were read afterwards.

#include <cstdint>
#include <map>
#include <vector>

#include "app/OperationOutcome.h"

namespace vela {

// Which link the device answered the read-back on.
enum class TReadBackLink : uint8_t {
  None,      // no answer: the read-back could not settle anything
  Previous,  // the link the device had before the write
  New,       // the link the written settings give it, once finalized
};

struct TWriteEvidence {
  // The Set jobs of the write list in the order they go, FinalizePrm among them.
  std::vector<uint8_t> setJobs;
  // How each request came out (the last time it was sent).
  const TOperationOutcome* requests = nullptr;
  // Set jobs of which some attempt went without a valid answer: the device
  // may have taken it even though a later attempt was refused.
  std::vector<uint8_t> maybeTaken;
  // The words each Set job sent, and the words read back from its block.
  std::map<uint8_t, std::vector<uint16_t>> sent;
  std::map<uint8_t, std::vector<uint16_t>> readBack;
  TReadBackLink answeredOn = TReadBackLink::None;
  // The written settings move the device to another link: which link
  // answers tells whether FinalizePrm was taken.
  bool linkMoves = false;
};

std::vector<TWrittenBlock> JudgeWrite(const TWriteEvidence& evidence);

// The state as the operator reads it: "записан", "не записан", "неизвестно".
const char* WriteStateText(TWriteState state);

}  // namespace vela
