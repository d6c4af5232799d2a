#include "serial/SystemErrorText.h"

#include <cerrno>
#include <cstring>

namespace vela::serial_detail {

std::string ErrorText(int code) {
  char buffer[256] = {};
  // GNU strerror_r returns the text, which may or may not live in buffer.
  const char* text = strerror_r(code, buffer, sizeof buffer);
  return "ошибка #" + std::to_string(code) + ": " + text;
}

std::string LastErrorText() {
  return ErrorText(errno);
}

}  // namespace vela::serial_detail
