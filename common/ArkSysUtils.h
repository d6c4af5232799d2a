#pragma once
// System helpers: the text of the last system error, the version stamped into
// an executable file, and the path of the running program's own file.

#include <string>

namespace vela {

// "ошибка #<code>: <system text>" for the calling thread's last system error
// (errno; GetLastError on Windows), read once. Call it right after the
// failing call, in the thread that made it.
std::string LastErrorText();
// The same text for a given error code of the system.
std::string SystemErrorText(int code);

// The version stamped into an executable of this project (on Linux the ELF
// section ".velalink_version", on Windows the VERSIONINFO resource) as four
// decimal numbers joined by "."; "?.?.?.?" for a missing, unreadable or
// malformed file and for a file without a valid stamp.
std::string FileVersionText(const std::string& fileName);

// The absolute path of the running program's file; empty when unknown.
std::string OwnExecutablePath();

// Standard input, output and error that were closed when the program started
// are opened on /dev/null, so that no file the program opens later takes
// their numbers (and receives what was meant for the terminal).
void OpenClosedStandardDescriptors();
// Writes to a closed pipe fail with EPIPE instead of ending the program.
void IgnoreBrokenPipes();
// The console shows the program's UTF-8 output as text (Windows; the
// terminals of Linux already do).
void UseUtf8Console();

}  // namespace vela
