// Kept apart from <termios.h>, whose struct termios clashes with the kernel's.
#include "serial/ArbitrarySpeed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>

namespace vela::serial_detail {

int SetArbitrarySpeed(int fd, int baud) {
  struct termios2 line {};
  if (ioctl(fd, TCGETS2, &line) != 0) return errno;
  // No input speed code of its own: input follows the output speed.
  line.c_cflag &= ~(CBAUD | CIBAUD);
  line.c_cflag |= BOTHER;
  line.c_ispeed = line.c_ospeed = static_cast<speed_t>(baud);
  return ioctl(fd, TCSETS2, &line) == 0 ? 0 : errno;
}

int ReportedSpeed(int fd) {
  struct termios2 line {};
  if (ioctl(fd, TCGETS2, &line) != 0) return -1;
  return static_cast<int>(line.c_ospeed);
}

}  // namespace vela::serial_detail
