#include <windows.h>

#include <algorithm>

#include "common/InputFile.h"
#include "common/Win32Text.h"

namespace vela {

TInputFile::TInputFile(const std::string& path)
    : handle_(reinterpret_cast<intptr_t>(
          CreateFileW(win32::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                      nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))) {}

TInputFile::~TInputFile() {
  if (IsOpen()) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

bool TInputFile::IsOpen() const {
  return reinterpret_cast<HANDLE>(handle_) != INVALID_HANDLE_VALUE;
}

int64_t TInputFile::Read(void* buffer, size_t size) {
  DWORD count = 0;
  const DWORD wanted = static_cast<DWORD>(std::min<size_t>(size, 1u << 30));
  if (!ReadFile(reinterpret_cast<HANDLE>(handle_), buffer, wanted, &count, nullptr)) return -1;
  return count;
}

}  // namespace vela
