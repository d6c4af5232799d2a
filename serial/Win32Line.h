#pragma once
// Windows builds only: the device control block of a line setting. Every
// field is set on purpose, nothing another program left survives; the
// XON/XOFF characters and limits (flow control is off) get the usual values,
// since a driver refuses a block whose two characters are equal.

#include <windows.h>

#include "serial/SerialBackend.h"

namespace vela::win32 {

// RTS_CONTROL_TOGGLE when rts asks for the bus direction to follow the
// writes, RTS_CONTROL_DISABLE when the program drives RTS itself around
// each write (the driver refused the toggle), else RTS_CONTROL_ENABLE.
enum class RtsLine { Enable, Toggle, ByProgram };

// False for a frame the line cannot have (5-8 data bits, parity 0-2, stop bits 0-2).
bool FillLineControl(DCB& dcb, const LineSettings& settings, RtsLine rts);

// The time-outs the backend uses: a read ends when the octets it asked for
// are there, or gapMs after it began with what came by then; writes have no
// time-out. The backend asks for what the driver holds, else for one octet.
COMMTIMEOUTS ReadAsItArrives(DWORD gapMs);

}  // namespace vela::win32
