#pragma once
// Speeds that have no classic B-constant (76800 among the device's), set
// and read through the kernel's termios2 calls.

namespace vela::serial_detail {

// Sets the line's input and output speed to baud, leaving every other
// setting as it is; the errno value of a failure, or 0.
int SetArbitrarySpeed(int fd, int baud);

// The output speed the driver reports, in baud; -1 when it cannot be read.
int ReportedSpeed(int fd);

}  // namespace vela::serial_detail
