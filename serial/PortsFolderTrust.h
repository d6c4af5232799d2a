#pragma once
// Whether the ports folder (PortNames.h) and its links may be used. A folder
// another user owns or may write could send a port name to any device, so
// only the user's own folder counts, and in it only the user's own links.
// Linux only: Windows has no ports folder.

#include <string>

namespace vela {

// Empty when the folder is missing or the user's own and writable by no one
// else; otherwise what is wrong with it and how to put it right (Russian).
std::string PortsFolderFault(const std::string& folder);

// True when the folder's links may be used; otherwise false, with the fault
// told once on standard error.
bool PortsFolderTrusted(const std::string& folder);

// True when the link is this user's; otherwise false, told once on standard
// error.
bool PortsLinkTrusted(const std::string& link);

}  // namespace vela
