#pragma once
// The modal IEC 60870-5-101 options dialog, as a seam: a toolkit shows the
// real dialog, the command line and tests give fixed answers.

#include "iec101/IecDeviceOptions.h"
#include "iec101/IecSettings.h"

namespace vela {

// Device: the device's IEC options that the Modbus configuration writes;
// Connection: the program's own IEC connection (field lengths and the
// expected common address).
enum class TIecOptionsMode { Device, Connection };

// What the dialog edits: both modes show a part of each.
struct TIecOptions {
  TIecDeviceOptions device;
  TIecLinkSettings connection;
};

class TIecOptionsDialog {
 public:
  virtual ~TIecOptionsDialog() = default;
  // Shows the dialog loaded for mode from options; true when the user
  // confirmed it, and options then holds what was stored.
  virtual bool Execute(TIecOptionsMode mode, TIecOptions& options) = 0;
};

}  // namespace vela
