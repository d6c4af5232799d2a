#pragma once
// System helpers: the text of the last system error, the version stamped into
// an executable file, and the path of the running program's own file.

#include <string>

namespace vela {

// "ошибка #<code>: <system text>" for the calling thread's errno, read once.
// Call it right after the failing call, in the thread that made it.
std::string LastErrorText();
// The same text for a given errno value.
std::string SystemErrorText(int code);

// The version stamped into an executable of this project (the ELF section
// ".velalink_version") as four decimal numbers joined by "."; "?.?.?.?" for a
// missing, unreadable or malformed file and for a file without a valid stamp.
std::string FileVersionText(const std::string& fileName);

// The absolute path of the running program's file; empty when unknown.
std::string OwnExecutablePath();

}  // namespace vela
