#pragma once
// Octets from a list of numbers, for the tests of every room: Bytes({0x01, 0x04}).

#include <initializer_list>

#include "common/ArkTypes.h"

namespace vela::test {

inline Octets Bytes(std::initializer_list<int> values) {
  Octets octets;
  for (int value : values) octets += static_cast<char>(value);
  return octets;
}

}  // namespace vela::test
