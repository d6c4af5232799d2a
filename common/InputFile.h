#pragma once
// A file read from start to end in chunks. A failed open or read leaves the
// system's error for LastErrorText, in the calling thread.

#include <cstddef>
#include <cstdint>
#include <string>

namespace vela {

class TInputFile {
 public:
  explicit TInputFile(const std::string& path);
  ~TInputFile();
  TInputFile(const TInputFile&) = delete;
  TInputFile& operator=(const TInputFile&) = delete;

  bool IsOpen() const;
  // Octets read into buffer: 0 at the end of the file, -1 on a failure.
  int64_t Read(void* buffer, size_t size);

 private:
  intptr_t handle_;
};

}  // namespace vela
