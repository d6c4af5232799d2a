#pragma once
// "ошибка #<code>: <text>" for an errno value of the C library (a failed
// stdio call). On Linux the same as SystemErrorText; on Windows the C
// runtime's codes are not the system's, so they get the runtime's text.
// Defined beside SystemErrorText (ArkSysUtils*.cpp).

#include <string>

namespace vela {

std::string CRuntimeErrorText(int errnoValue);

}  // namespace vela
