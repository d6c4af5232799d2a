#pragma once
// Failures of system calls as exceptions with a Russian message that ends with
// the system error code and the system's own text.

#include <string>

namespace vela {

// "<what>, ошибка #<code>: <system text>".
std::string SystemErrorMessage(const std::string& what, int code);

// Raises TArkException with SystemErrorMessage(what, errno).
[[noreturn]] void RaiseSystemError(const std::string& what);

}  // namespace vela
