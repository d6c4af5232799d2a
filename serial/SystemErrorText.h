#pragma once
// Error texts of the system calls the serial room makes.

#include <string>

namespace vela::serial_detail {

// "ошибка #%d: %s" with the errno value and the system's text for it.
std::string ErrorText(int code);

// The same for the calling thread's current errno.
std::string LastErrorText();

}  // namespace vela::serial_detail
