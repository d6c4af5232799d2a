#pragma once
// Facts about the machine and the session the program runs in.

#include <string>
#include <vector>

namespace vela {

// The computer's network name; empty when the system does not tell.
std::string ComputerName();
// The name the user logged in with; empty when unknown.
std::string UserName();
// Whether standard input (0), output (1) or error (2) is an interactive terminal.
bool IsTerminal(int standardStream);
// The arguments after the program's name, in UTF-8. Windows hands main() its
// arguments in the ANSI code page, which loses Cyrillic file names; there
// they are taken from the wide command line instead.
std::vector<std::string> ProgramArguments(int argc, char** argv);

}  // namespace vela
