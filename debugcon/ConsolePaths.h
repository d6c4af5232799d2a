#pragma once
// Where the debug console sockets live and how their names are numbered.
//
// The sockets sit in the user's runtime directory ($XDG_RUNTIME_DIR) when it
// is a private directory of ours, else in /tmp/velalink-<uid>, which the
// program creates with owner-only permissions. Instance 0 of a name is the
// name itself, instances 1 to 15 append their number: dbg_VelaLink,
// dbg_VelaLink1, ..., dbg_VelaLink15.

#include <string>

namespace vela {

inline constexpr const char* kDebugConsoleName = "dbg_VelaLink";
inline constexpr int kMaxConsoleInstances = 16;

// The directory the console sockets belong in; no side effects.
std::string RuntimeDirectoryPath();

// True when path is a real directory (not a symbolic link) owned by the
// effective user with no permissions for group and others.
bool IsPrivateDirectory(const std::string& path);

// Creates path (mode 0700) when missing; refuses a symbolic link, a
// non-directory, a directory of another user and one that group or others
// may use (it is never changed: it may be a shared directory such as /tmp).
// Raises TArkException.
void EnsurePrivateDirectory(const std::string& path);

// The path of instance 0: a name of two or more characters that begins with
// "/" is used unchanged, any other name is placed in directory (the runtime
// directory when empty). No side effects.
std::string ConsoleBasePath(const std::string& name, const std::string& directory = {});

// The path of instance index (0 to kMaxConsoleInstances - 1) of basePath.
std::string ConsoleInstancePath(const std::string& basePath, int index);

}  // namespace vela
