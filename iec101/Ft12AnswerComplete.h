#pragma once
// The fast exchange's test of a whole FT 1.2 answer: the octets received so
// far are exactly one well-formed frame (the single character, the fixed
// frame of the link's address length, or a variable frame of its
// stated length with a good checksum), with nothing before or after it.

#include "common/ArkTypes.h"
#include "iec101/IecPacket.h"

namespace vela {

inline bool Ft12AnswerComplete(const TIecFieldLengths& lengths, const Octets& received) {
  return !received.empty() && Ft12FrameLength(lengths, received) == received.size();
}

}  // namespace vela
