#include "debugcon/SystemError.h"

#include <cerrno>

#include "common/ArkSysUtils.h"
#include "common/ArkTypes.h"

namespace vela {

std::string SystemErrorMessage(const std::string& what, int code) {
  return what + ", " + SystemErrorText(code);
}

void RaiseSystemError(const std::string& what) {
  throw TArkException(SystemErrorMessage(what, errno));
}

}  // namespace vela
