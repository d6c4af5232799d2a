#pragma once
// Small helpers shared by the Modbus tests: octet literals and the frames a
// device would send, built from the (separately tested) checksums.

#include <cstdint>
#include <initializer_list>
#include <string>

#include "common/ArkCmnUtils.h"
#include "common/ArkTypes.h"
#include "common/Checksums.h"
#include "modbus/ModbusPacker.h"
#include "tests/common/OctetLiterals.h"

namespace vela::test {

inline Octets RtuFrame(const Octets& body) {
  const uint16_t crc = Crc16Modbus(body.data(), static_cast<int>(body.size()));
  return body + static_cast<char>(crc & 0xFF) + static_cast<char>(crc >> 8);
}

inline Octets AsciiFrame(const Octets& body) {
  const Octets checked = body + static_cast<char>(Lrc(body.data(), static_cast<int>(body.size())));
  return AsciiFrameOfChecked(checked);
}

inline Octets DeviceFrame(bool rtu, const Octets& body) {
  return rtu ? RtuFrame(body) : AsciiFrame(body);
}

}  // namespace vela::test

#include <functional>

#include "modbus/ModbusExceptions.h"

namespace vela::test {

// What an operation ended with: normally, or which exception with which text.
struct Outcome {
  enum class Kind { kNone, kLink, kLogic, kOther };
  Kind kind = Kind::kNone;
  std::string message;
  int32_t code = -1;
};

inline Outcome Capture(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const TModbusLinkException& e) {
    return {Outcome::Kind::kLink, e.what(), -1};
  } catch (const TModbusLogicException& e) {
    return {Outcome::Kind::kLogic, e.what(), e.Code};
  } catch (const std::exception& e) {
    return {Outcome::Kind::kOther, e.what(), -1};
  }
  return {};
}

}  // namespace vela::test
