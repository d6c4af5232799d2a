#pragma once
// The text of --version, the same for every program of the project: the
// program's name and the version stamped into its own file.

#include <string>

namespace vela {

// "velalink-cli 1.0.0.1\n" (the version read back from the running file).
std::string ProgramVersionText(const std::string& programName);

}  // namespace vela
