#pragma once
// The serial backend of the system the program runs on: termios on Linux,
// the Win32 communications functions on Windows.

#include <memory>

#include "serial/SerialBackend.h"

namespace vela {

std::unique_ptr<SerialBackend> MakeSystemSerialBackend();

}  // namespace vela
