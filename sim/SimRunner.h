#pragma once
// The simulator's main loop: publishes the interfaces, prints their COMn
// lines and serves them until SIGINT, SIGTERM or SIGHUP.

#include "sim/SimOptions.h"

namespace vela {

// Returns the process exit code. Throws TArkException when an interface
// cannot be set up.
int RunSimulator(const SimOptions& options);

}  // namespace vela
