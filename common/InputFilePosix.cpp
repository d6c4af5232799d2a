#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

#include "common/InputFile.h"

namespace vela {

TInputFile::TInputFile(const std::string& path)
    : handle_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}

TInputFile::~TInputFile() {
  if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

bool TInputFile::IsOpen() const {
  return handle_ >= 0;
}

int64_t TInputFile::Read(void* buffer, size_t size) {
  ssize_t count;
  do {  // a read that a signal interrupted is repeated
    count = ::read(static_cast<int>(handle_), buffer, size);
  } while (count < 0 && errno == EINTR);
  return count;
}

}  // namespace vela
