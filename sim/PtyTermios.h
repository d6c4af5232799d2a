#pragma once
// Line settings of a pseudo-terminal, through the kernel's termios2 calls so
// that any baud rate (76800 too) can be set and read back.

#include <optional>

#include "sim/LinkSettings.h"

namespace vela {

// Raw mode (no echo, no line editing, no translation) with the given format.
bool SetRawLineFormat(int fd, const LineFormat& format);
// The format the terminal is set to now, by whoever set it last.
std::optional<LineFormat> GetLineFormat(int fd);

}  // namespace vela
