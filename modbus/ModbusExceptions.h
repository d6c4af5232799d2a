#pragma once
// The two exception classes of the Modbus master: a failed exchange (link) and
// a refusal by the device or by the protocol (logic, with its code).

#include <cstdint>
#include <string>

#include "common/ArkTypes.h"

namespace vela {

// Wrong length, broken ASCII delimiters, checksum mismatch, wrong address or
// function, response contents that do not fit the request. Constructing one
// increments the given counter (the packer passes its LinkErrorCount).
class TModbusLinkException : public TArkException {
 public:
  TModbusLinkException(const std::string& message, int32_t& errorCounter) : TArkException(message) {
    ++errorCounter;
  }
};

// An exception response of the device (Code = the Modbus exception code) or a
// request the protocol does not allow (Code = 0).
class TModbusLogicException : public TArkException {
 public:
  TModbusLogicException(const std::string& message, int32_t code)
      : TArkException(message), Code(code) {}

  int32_t Code;
};

}  // namespace vela
