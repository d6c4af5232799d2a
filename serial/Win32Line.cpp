#include "serial/Win32Line.h"

namespace vela::win32 {

bool FillLineControl(DCB& dcb, const LineSettings& settings, RtsLine rts) {
  if (settings.byteSize < 5 || settings.byteSize > 8 || settings.parity > 2 ||
      settings.stopBits > 2) {
    return false;
  }
  dcb.DCBlength = sizeof dcb;
  dcb.BaudRate = static_cast<DWORD>(settings.baudRate);
  dcb.fBinary = TRUE;
  dcb.fParity = TRUE;  // parity errors are reported (with no parity there are none)
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;  // powers converters fed from DTR
  dcb.fDsrSensitivity = FALSE;
  dcb.fTXContinueOnXoff = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fErrorChar = FALSE;
  dcb.fNull = FALSE;  // zero octets are data
  dcb.fRtsControl = rts == RtsLine::Toggle      ? RTS_CONTROL_TOGGLE
                    : rts == RtsLine::ByProgram ? RTS_CONTROL_DISABLE
                                                : RTS_CONTROL_ENABLE;
  dcb.fAbortOnError = TRUE;  // a line error ends the read until ClearCommError
  dcb.fDummy2 = 0;
  dcb.wReserved = 0;
  dcb.ByteSize = settings.byteSize;
  dcb.Parity = settings.parity;      // NOPARITY 0, ODDPARITY 1, EVENPARITY 2: the program's codes
  dcb.StopBits = settings.stopBits;  // ONESTOPBIT 0, ONE5STOPBITS 1, TWOSTOPBITS 2
  dcb.XonLim = 2048;                 // of the 8192-octet receive queue
  dcb.XoffLim = 512;
  dcb.XonChar = 0x11;   // DC1
  dcb.XoffChar = 0x13;  // DC3
  dcb.ErrorChar = 0;
  dcb.EofChar = 0;
  dcb.EvtChar = 0;
  dcb.wReserved1 = 0;
  return true;
}

COMMTIMEOUTS ReadAsItArrives(DWORD gapMs) {
  COMMTIMEOUTS timeouts{};
  timeouts.ReadIntervalTimeout = 0;
  timeouts.ReadTotalTimeoutMultiplier = 0;
  timeouts.ReadTotalTimeoutConstant = gapMs;
  timeouts.WriteTotalTimeoutMultiplier = 0;  // writes have no time-out
  timeouts.WriteTotalTimeoutConstant = 0;
  return timeouts;
}

}  // namespace vela::win32
