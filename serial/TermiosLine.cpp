#include "serial/TermiosLine.h"

#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>

#include <cerrno>
#include <cstdlib>

#include "common/ArkSysUtils.h"
#include "serial/ArbitrarySpeed.h"

namespace vela::serial_detail {
namespace {

// Unix98 pseudo-terminal slaves use majors 136..143.
constexpr unsigned kFirstPtsMajor = 136;
constexpr unsigned kLastPtsMajor = 143;

constexpr struct {
  int baud;
  speed_t code;
} kSpeeds[] = {{1200, B1200},     {2400, B2400},     {4800, B4800},    {9600, B9600},
               {19200, B19200},   {38400, B38400},   {57600, B57600},  {115200, B115200},
               {230400, B230400}, {460800, B460800}, {921600, B921600}};

constexpr tcflag_t kFrameFlags = CSIZE | PARENB | PARODD | CSTOPB;

[[noreturn]] void RaiseWriteFailure(const char* call, int error) {
  throw TArkException(std::string("Не удалось записать настройки порта\r\n ") + call +
                      "(): " + SystemErrorText(error));
}

// The classic code of a speed, or B0 for a speed that has none.
speed_t ClassicCode(int baud) {
  for (const auto& speed : kSpeeds) {
    if (speed.baud == baud) return speed.code;
  }
  return B0;
}

bool IsClassicCode(speed_t code) {
  for (const auto& speed : kSpeeds) {
    if (speed.code == code) return true;
  }
  return false;
}

// The speed set with the other settings: the classic code, or for an
// arbitrary speed, set right after, the speed the line has now where that
// is a classic one.
speed_t SpeedWithSettings(const termios& current, int baud) {
  if (const speed_t code = ClassicCode(baud); code != B0) return code;
  const speed_t now = cfgetospeed(&current);
  return IsClassicCode(now) ? now : B9600;
}

// A driver may report the rate its divider reaches; the kernel takes 2 % off
// an arbitrary speed as the same speed.
bool CloseEnough(int reported, int wanted) {
  return std::abs(reported - wanted) * 50 <= wanted;
}

tcflag_t FrameFlags(const LineSettings& settings) {
  if (settings.byteSize < 5 || settings.byteSize > 8 || settings.parity > 2 ||
      settings.stopBits > 2) {
    RaiseWriteFailure("tcsetattr", EINVAL);
  }
  constexpr tcflag_t kSizes[] = {CS5, CS6, CS7, CS8};
  tcflag_t flags = kSizes[settings.byteSize - 5];
  if (settings.parity == 1) flags |= PARENB | PARODD;
  if (settings.parity == 2) flags |= PARENB;
  // Termios has no one and a half stop bits; UARTs send 1.5 for "two" at
  // 5 data bits only, so "one and a half" asks for the longer stop.
  if (settings.stopBits != 0) flags |= CSTOPB;
  return flags;
}

// Every flag is set here, so nothing another program left on the line (mark
// or space parity, software flow control, canonical mode, translation of
// line ends) changes what the program sends or receives.
termios RawLine(termios attributes, const LineSettings& settings) {
  const speed_t speed = SpeedWithSettings(attributes, settings.baudRate);
  // Parity is checked; a character with a parity or framing error is read as
  // 0 and counted by the driver, which is how line errors are found. A break
  // is counted too and not read as a character.
  attributes.c_iflag = IGNBRK | (settings.parity != 0 ? INPCK : 0);
  attributes.c_oflag = 0;
  attributes.c_lflag = 0;
  attributes.c_cflag = FrameFlags(settings) | CLOCAL | CREAD | HUPCL;
  attributes.c_cc[VMIN] = 1;
  attributes.c_cc[VTIME] = 0;
  cfsetispeed(&attributes, speed);
  cfsetospeed(&attributes, speed);
  return attributes;
}

// tcsetattr succeeds when any part of the request took effect; read back.
bool TookEffect(int fd, const termios& wanted, int baud) {
  termios actual{};
  if (tcgetattr(fd, &actual) != 0) return false;
  constexpr tcflag_t kChecked = kFrameFlags | CMSPAR | CRTSCTS;
  if ((actual.c_cflag & kChecked) != (wanted.c_cflag & kChecked)) return false;
  if (ClassicCode(baud) == B0) return CloseEnough(ReportedSpeed(fd), baud);
  return cfgetospeed(&actual) == cfgetospeed(&wanted) &&
         cfgetispeed(&actual) == cfgetispeed(&wanted);
}

void RaiseDataTerminalReady(int fd) {
  int lines = TIOCM_DTR;
  ioctl(fd, TIOCMBIS, &lines);  // lines a device has not got stay as they are
}

}  // namespace

bool IsPseudoTerminal(int fd) {
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISCHR(status.st_mode)) return false;
  const unsigned deviceMajor = major(status.st_rdev);
  return deviceMajor >= kFirstPtsMajor && deviceMajor <= kLastPtsMajor;
}

void ConfigureLine(int fd, const LineSettings& settings, bool pseudoTerminal) {
  termios current{};
  if (tcgetattr(fd, &current) != 0) {
    throw TArkException("Не удалось прочитать настройки порта\r\n tcgetattr(): " + LastErrorText());
  }
  if (settings.baudRate <= 0) RaiseWriteFailure("cfsetspeed", EINVAL);
  const termios wanted = RawLine(current, settings);
  if (tcsetattr(fd, TCSANOW, &wanted) != 0) {
    const int error = errno;
    // On a pseudo-terminal EINVAL only says that nothing asked could change.
    if (!(pseudoTerminal && error == EINVAL)) RaiseWriteFailure("tcsetattr", error);
  }
  if (ClassicCode(settings.baudRate) == B0) {
    if (const int error = SetArbitrarySpeed(fd, settings.baudRate); error != 0) {
      RaiseWriteFailure("ioctl(TCSETS2)", error);
    }
  }
  if (!pseudoTerminal && !TookEffect(fd, wanted, settings.baudRate)) {
    RaiseWriteFailure("tcsetattr", EINVAL);
  }
  RaiseDataTerminalReady(fd);
}

}  // namespace vela::serial_detail
