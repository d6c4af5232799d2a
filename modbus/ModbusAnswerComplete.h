#pragma once
// Whether the octets received so far are one whole, valid answer to a
// request, so that the fast exchange can deliver it without waiting for the
// line to fall silent. The test keeps copies of all it needs: the port runs it
// in its own thread while the owner may change the packer.

#include <cstddef>
#include <cstdint>

#include "common/ArkTypes.h"

namespace vela {

class TModbusAnswerComplete {
 public:
  // request: a whole function 3, 4 or 16 frame in the framing given by
  // rtuMode. Any other request gives a test that accepts nothing.
  TModbusAnswerComplete(bool rtuMode, const Octets& request);

  // True for exactly one frame of the length the request implies, or of an
  // exception answer, with a good CRC (RTU) or ":", a good LRC and CR LF
  // (ASCII), from the request's address with its function.
  bool operator()(const Octets& received) const;

 private:
  size_t FrameLength(size_t bodyLength) const;

  bool rtuMode_;
  uint8_t address_ = 0;
  uint8_t function_ = 0;
  size_t answerBodyLength_ = 0;  // 0: nothing is complete
};

}  // namespace vela
