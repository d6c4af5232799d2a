// Kept apart from <termios.h>, whose struct termios clashes with the kernel's.
#include "sim/PtyTermios.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace vela {
namespace {
// The classic speed code where there is one, so that programs using the
// plain termios calls can read the settings back and set them again.
tcflag_t SpeedCode(int baud) {
  switch (baud) {
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    default:
      return BOTHER;
  }
}
}  // namespace

bool SetRawLineFormat(int fd, const LineFormat& format) {
  struct termios2 t {};
  if (ioctl(fd, TCGETS2, &t) != 0) return false;
  t.c_iflag = IGNBRK;
  t.c_oflag = 0;
  t.c_lflag = 0;
  t.c_cflag = CREAD | CLOCAL | SpeedCode(format.baud) | (format.dataBits == 7 ? CS7 : CS8);
  if (format.parity != Parity::None) t.c_cflag |= PARENB;
  if (format.parity == Parity::Odd) t.c_cflag |= PARODD;
  if (format.stopBits == 2) t.c_cflag |= CSTOPB;
  t.c_ispeed = t.c_ospeed = static_cast<speed_t>(format.baud);
  t.c_cc[VMIN] = 1;
  t.c_cc[VTIME] = 0;
  return ioctl(fd, TCSETS2, &t) == 0;
}

std::optional<LineFormat> GetLineFormat(int fd) {
  struct termios2 t {};
  if (ioctl(fd, TCGETS2, &t) != 0) return std::nullopt;
  LineFormat format;
  format.baud = static_cast<int>(t.c_ospeed);
  switch (t.c_cflag & CSIZE) {
    case CS5:
      format.dataBits = 5;
      break;
    case CS6:
      format.dataBits = 6;
      break;
    case CS7:
      format.dataBits = 7;
      break;
    default:
      format.dataBits = 8;
      break;
  }
  format.parity = !(t.c_cflag & PARENB)  ? Parity::None
                  : (t.c_cflag & PARODD) ? Parity::Odd
                                         : Parity::Even;
  format.stopBits = (t.c_cflag & CSTOPB) ? 2 : 1;
  return format;
}

}  // namespace vela
