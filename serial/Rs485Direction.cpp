#include "serial/Rs485Direction.h"

#include <linux/serial.h>

#include "common/ArkTypes.h"

namespace vela {
namespace {

[[noreturn]] void RaiseUnavailable(const char* what) {
  throw TArkException(std::string("Не удалось записать настройки порта\r\n ") + what);
}

}  // namespace

bool Rs485Direction::EnableKernelMode(DirectionLines& lines) {
  const std::optional<unsigned> flags = lines.Rs485Flags();
  if (!flags) return false;
  if (!savedFlags_) savedFlags_ = *flags;
  unsigned wanted = (*flags | SER_RS485_ENABLED | SER_RS485_RTS_ON_SEND);
  wanted &= ~static_cast<unsigned>(SER_RS485_RTS_AFTER_SEND);
  return lines.SetRs485Flags(wanted);
}

void Rs485Direction::Apply(DirectionLines& lines, RtsControl requested) {
  requested_ = requested;
  mode_ = Mode::None;
  if (requested == RtsControl::Off) {
    Restore(lines);
    return;
  }
  if (requested != RtsControl::Toggle && EnableKernelMode(lines)) {
    mode_ = Mode::Kernel;
    return;
  }
  if (requested == RtsControl::Kernel) {
    RaiseUnavailable(
        "TIOCSRS485(): драйвер порта не поддерживает режим RS-485; "
        "выберите управление RTS из программы (--rts toggle)");
  }
  Restore(lines);
  // RTS rests low (receiving); a device without modem lines has no RTS.
  if (lines.SetRts(false)) {
    mode_ = Mode::Toggle;
  } else if (requested == RtsControl::Toggle) {
    RaiseUnavailable("TIOCMBIC(): у порта нет линии RTS");
  }
}

void Rs485Direction::Restore(DirectionLines& lines) {
  if (savedFlags_) lines.SetRs485Flags(*savedFlags_);
  savedFlags_.reset();
}

void Rs485Direction::BeforeWrite(DirectionLines& lines) const {
  if (mode_ == Mode::Toggle) lines.SetRts(true);
}

void Rs485Direction::AfterWrite(DirectionLines& lines) const {
  if (mode_ != Mode::Toggle) return;
  lines.Drain();
  lines.SetRts(false);
}

std::string Rs485Direction::Text() const {
  switch (mode_.load()) {
    case Mode::Kernel:
      return "RS-485: направление по RTS переключает драйвер (режим RS-485 ядра)";
    case Mode::Toggle:
      return "RS-485: направление по RTS переключает программа при каждой передаче";
    case Mode::None:
      break;
  }
  return requested_ == RtsControl::Off ? "RS-485: RTS не управляется"
                                       : "RS-485: у порта нет RTS, направление не управляется";
}

}  // namespace vela
