#pragma once
// Line settings on a terminal device: speed, frame, raw mode and DTR.

#include "serial/SerialBackend.h"

namespace vela::serial_detail {

// A pseudo-terminal has no wire: Linux keeps its frame at 8 bits without
// parity whatever is asked, so the frame cannot be checked there.
bool IsPseudoTerminal(int fd);

// Applies settings to the open device; raises TArkException with the
// operator's message when the device refuses them.
void ConfigureLine(int fd, const LineSettings& settings, bool pseudoTerminal);

}  // namespace vela::serial_detail
