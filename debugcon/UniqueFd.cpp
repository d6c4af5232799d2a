#include "debugcon/UniqueFd.h"

#include <unistd.h>

namespace vela {

void UniqueFd::Reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

}  // namespace vela
