#pragma once
// Facts about the machine and the session the program runs in.

#include <string>

namespace vela {

// The computer's network name; empty when the system does not tell.
std::string ComputerName();
// The name the user logged in with; empty when unknown.
std::string UserName();
// Whether standard input (0), output (1) or error (2) is an interactive terminal.
bool IsTerminal(int standardStream);

}  // namespace vela
