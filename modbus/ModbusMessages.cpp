#include "modbus/ModbusMessages.h"

#include <cstdio>

namespace vela::modbus_messages {
namespace {

// Texts with one or two %d conversions; the results are short.
std::string FormatText(const char* format, int first, int second = 0) {
  char text[256];
  std::snprintf(text, sizeof text, format, first, second);
  return text;
}

}  // namespace

std::string LengthMismatchText(int received, int expected) {
  return FormatText(kLengthMismatch, received, expected);
}

std::string RegisterCountRefusedText(int count) {
  return FormatText(kRegisterCountRefused, count);
}

std::string ExceptionResponseText(int code) {
  switch (code) {
    case 1:
      return kIllegalFunction;
    case 2:
      return kIllegalDataAddress;
    case 3:
      return kIllegalDataValue;
    case 4:
      return kDeviceFailure;
    case 6:
      return kDeviceBusy;
    default:
      return FormatText(kOtherRefusal, code);
  }
}

}  // namespace vela::modbus_messages
