#pragma once
// The Unix-domain SOCK_SEQPACKET sockets of the debug console: claiming a
// free instance name for the listening end, connecting a viewer, and reading
// one message.

#include <string>

#include "debugcon/UniqueFd.h"

namespace vela {

// The listening end of one console instance. While lock is held no other
// process takes the same name; the socket file is owner-only.
struct ConsoleListener {
  UniqueFd socket;  // non-blocking, listening
  UniqueFd lock;    // flock on path + ".lock"
  std::string path;
  int index = 0;
};

// Takes the first free instance of basePath (see ConsolePaths.h). A socket
// file left by a process that died (connect reports ECONNREFUSED) is replaced;
// a live socket or a file that is not a socket is left alone and the next
// number is tried. Raises TArkException when all instances are taken or a
// system call fails.
ConsoleListener ClaimConsoleSocket(const std::string& basePath);

// Non-blocking connect to the console at path; an invalid fd (errno set)
// when no program listens there.
UniqueFd ConnectToConsole(const std::string& path);

enum class ReceiveResult {
  kMessage,  // message holds one whole message (possibly empty)
  kNone,     // nothing to read now
  kClosed,   // the other end is gone
};

// Reads one message of any length without blocking. A zero-length read is
// both an empty message and the end of the connection: the socket's hang-up
// state tells them apart.
ReceiveResult ReceiveMessage(int fd, std::string& message);

}  // namespace vela
