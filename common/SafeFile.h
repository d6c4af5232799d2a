#pragma once
// Files the program writes and reads on the operator's behalf, opened so
// that another user who can write the folder cannot turn them elsewhere:
// the recording file is held open and locked, files written whole replace
// their name by rename, input files must be regular files. The operating
// system calls live in SafeFile.cpp (SafeFileWin32.cpp on Windows); this
// interface stays free of them.

#include <cstddef>
#include <string>

namespace vela {

enum class TFileFault {
  None,
  System,       // a system call failed; TFileStatus::error holds its errno
  ForeignLink,  // the name is a symbolic link another user owns
  OwnLink,      // the name is a symbolic link of the user's own
  NotRegular,   // a FIFO, socket, device or folder where a file is wanted
  HardLinked,   // a file to be written that has other names besides this one
  Locked,       // another writer holds the file
  Taken,        // a new file was wanted and something else holds the name
  TooLarge,     // an input file over the size allowed
};

struct TFileStatus {
  TFileFault fault = TFileFault::None;
  int error = 0;  // the system error code (errno; on Windows GetLastError) of a System fault

  bool Ok() const { return fault == TFileFault::None; }
};

// "ошибка #<code>: <system text>" for a System fault, a Russian phrase for
// the others; empty for success.
std::string FileStatusText(const TFileStatus& status);

// A file records are appended to, held open from start to stop and locked
// against a second writer. Never opened through a symbolic link.
class TAppendFile {
 public:
  enum class TMode {
    Truncate,  // an existing file is emptied (after the lock is taken)
    CreateNew  // the name must be free
  };

  TAppendFile() = default;
  ~TAppendFile() { Close(); }
  TAppendFile(const TAppendFile&) = delete;
  TAppendFile& operator=(const TAppendFile&) = delete;

  // Opens (creating with mode 0666 less the umask) and locks name; a file
  // held open before is closed first. Nothing is emptied unless the lock was
  // taken.
  TFileStatus Open(const std::string& name, TMode mode);
  void Close();
  bool IsOpen() const { return fd_ >= 0; }
  // Writes all of text at the end, or on failure cuts the file back so that
  // no part of it stays behind.
  TFileStatus Append(const std::string& text);
  // True while name still leads to the open file: it was not deleted,
  // renamed away or replaced by another file.
  bool StillAt(const std::string& name) const;

 private:
  int fd_ = -1;
};

// Writes content as the whole of file name: into a new file beside it, then
// renamed over name, so readers see the old file or the new one and a
// symbolic link at name is replaced, never followed. On failure name is
// untouched and the temporary file removed.
TFileStatus WriteWholeFile(const std::string& name, const std::string& content);

// Reads the whole of a regular file (symbolic links followed) of at most
// maxSize bytes into content. A FIFO, socket or device is refused at once,
// without waiting for a writer.
TFileStatus ReadRegularFile(const std::string& name, size_t maxSize, std::string& content);

}  // namespace vela
