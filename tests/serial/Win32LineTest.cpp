// Windows: the device control block of each line setting. Every field that
// governs the line is set, whatever another program left in it.

#include <gtest/gtest.h>

#include <cstring>

#include "serial/Win32Line.h"

namespace vela {
namespace {

using win32::RtsLine;

TEST(Win32Line, EveryFieldOfTheLineIsSetOnPurpose) {
  const struct {
    LineSettings settings;
    RtsLine rts;
    DWORD rtsControl;
  } cases[] = {
      {{38400, 8, 2, 0}, RtsLine::Enable, RTS_CONTROL_ENABLE},
      {{9600, 7, 1, 0}, RtsLine::Toggle, RTS_CONTROL_TOGGLE},
      {{115200, 8, 0, 2}, RtsLine::ByProgram, RTS_CONTROL_DISABLE},
      {{76800, 7, 0, 2}, RtsLine::Enable, RTS_CONTROL_ENABLE},
  };
  for (const auto& c : cases) {
    DCB dcb;
    std::memset(&dcb, 0xFF, sizeof dcb);  // what another program may have left
    ASSERT_TRUE(win32::FillLineControl(dcb, c.settings, c.rts));
    EXPECT_EQ(dcb.DCBlength, sizeof dcb);
    EXPECT_EQ(dcb.BaudRate, static_cast<DWORD>(c.settings.baudRate));
    EXPECT_EQ(dcb.ByteSize, c.settings.byteSize);
    EXPECT_EQ(dcb.Parity, c.settings.parity);
    EXPECT_EQ(dcb.StopBits, c.settings.stopBits);
    EXPECT_EQ(dcb.fRtsControl, c.rtsControl);
    EXPECT_EQ(dcb.fDtrControl, static_cast<DWORD>(DTR_CONTROL_ENABLE));
    const DWORD off[] = {dcb.fOutxCtsFlow,      dcb.fOutxDsrFlow, dcb.fDsrSensitivity,
                         dcb.fTXContinueOnXoff, dcb.fOutX,        dcb.fInX,
                         dcb.fErrorChar,        dcb.fNull,        dcb.fDummy2,
                         dcb.wReserved,         dcb.wReserved1};
    for (const DWORD field : off) EXPECT_EQ(field, 0u);
    EXPECT_NE(dcb.XonChar, dcb.XoffChar);
    EXPECT_EQ(dcb.ErrorChar | dcb.EofChar | dcb.EvtChar, 0);
    EXPECT_EQ(dcb.fBinary, 1u);
    EXPECT_EQ(dcb.fParity, 1u);
    EXPECT_EQ(dcb.fAbortOnError, 1u);
  }
}

TEST(Win32Line, AFrameTheLineCannotHaveIsRefused) {
  const LineSettings refused[] = {
      {38400, 9, 0, 0}, {38400, 4, 0, 0}, {38400, 8, 3, 0}, {38400, 8, 0, 3}};
  for (const LineSettings& settings : refused) {
    DCB dcb{};
    EXPECT_FALSE(win32::FillLineControl(dcb, settings, RtsLine::Enable));
  }
}

}  // namespace
}  // namespace vela
