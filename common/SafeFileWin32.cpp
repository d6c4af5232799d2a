#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <random>
#include <utility>

#include "common/SafeFile.h"
#include "common/Win32Text.h"

namespace vela {
namespace {

TFileStatus Failed(TFileFault fault, DWORD error = 0) {
  return {fault, static_cast<int>(error)};
}

TFileStatus SystemFailure(DWORD error) {
  return {TFileFault::System, static_cast<int>(error)};
}

// A handle closed when the scope ends unless it was handed on.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (Valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  HANDLE Release() { return std::exchange(handle_, INVALID_HANDLE_VALUE); }

 private:
  HANDLE handle_;
};

// What stands at name when opening it failed with error.
TFileStatus ClassifyRefusedName(const std::wstring& name, DWORD error) {
  const DWORD attributes = GetFileAttributesW(name.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return SystemFailure(error);
  if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) return Failed(TFileFault::OwnLink);
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return Failed(TFileFault::NotRegular);
  if (error == ERROR_FILE_EXISTS) return Failed(TFileFault::Taken);
  if (error == ERROR_SHARING_VIOLATION) return Failed(TFileFault::Locked);
  return SystemFailure(error);
}

// A file on a disk, not a pipe or a device.
TFileStatus CheckRegular(HANDLE file, bool single) {
  if (GetFileType(file) != FILE_TYPE_DISK) return Failed(TFileFault::NotRegular);
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(file, &info)) return SystemFailure(GetLastError());
  if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) return Failed(TFileFault::NotRegular);
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return Failed(TFileFault::OwnLink);
  if (single && info.nNumberOfLinks > 1) return Failed(TFileFault::HardLinked);
  return {};
}

DWORD WriteAll(HANDLE file, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - done, 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file, text.data() + done, chunk, &written, nullptr)) return GetLastError();
    if (written == 0) return ERROR_WRITE_FAULT;
    done += written;
  }
  return 0;
}

HANDLE HandleOf(int fd) {
  return reinterpret_cast<HANDLE>(_get_osfhandle(fd));
}

}  // namespace

TFileStatus TAppendFile::Open(const std::string& name, TMode mode) {
  Close();
  const std::wstring wide = win32::Widen(name);
  // No second writer (the system refuses it); readers, and removing or
  // renaming the name, are let through as on Linux (StillAt notices).
  Handle file(CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                          mode == TMode::CreateNew ? CREATE_NEW : OPEN_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!file.Valid()) return ClassifyRefusedName(wide, GetLastError());
  TFileStatus status = CheckRegular(file.Get(), true);
  if (status.Ok() && mode == TMode::Truncate) {
    LARGE_INTEGER start{};
    if (!SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN) || !SetEndOfFile(file.Get())) {
      status = SystemFailure(GetLastError());
    }
  }
  if (!status.Ok()) return status;
  const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file.Get()), _O_APPEND);
  if (fd < 0) return SystemFailure(ERROR_TOO_MANY_OPEN_FILES);
  file.Release();
  fd_ = fd;
  return status;
}

void TAppendFile::Close() {
  if (fd_ >= 0) _close(fd_);
  fd_ = -1;
}

TFileStatus TAppendFile::Append(const std::string& text) {
  if (fd_ < 0) return SystemFailure(ERROR_INVALID_HANDLE);
  const HANDLE file = HandleOf(fd_);
  LARGE_INTEGER size{};
  const bool sized = GetFileSizeEx(file, &size);
  LARGE_INTEGER end{};
  if (!SetFilePointerEx(file, end, nullptr, FILE_END)) return SystemFailure(GetLastError());
  const DWORD error = WriteAll(file, text);
  if (error == 0) return {};
  // No part of the text stays behind.
  if (sized && SetFilePointerEx(file, size, nullptr, FILE_BEGIN)) SetEndOfFile(file);
  return SystemFailure(error);
}

bool TAppendFile::StillAt(const std::string& name) const {
  BY_HANDLE_FILE_INFORMATION held{}, named{};
  if (fd_ < 0 || !GetFileInformationByHandle(HandleOf(fd_), &held)) return false;
  // A removed file may keep its name until its last handle closes.
  FILE_STANDARD_INFO standard{};
  if (GetFileInformationByHandleEx(HandleOf(fd_), FileStandardInfo, &standard, sizeof standard) &&
      standard.DeletePending) {
    return false;
  }
  Handle other(CreateFileW(win32::Widen(name).c_str(), 0,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!other.Valid() || !GetFileInformationByHandle(other.Get(), &named)) return false;
  return held.dwVolumeSerialNumber == named.dwVolumeSerialNumber &&
         held.nFileIndexHigh == named.nFileIndexHigh && held.nFileIndexLow == named.nFileIndexLow;
}

TFileStatus WriteWholeFile(const std::string& name, const std::string& content) {
  static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  thread_local std::mt19937_64 random{std::random_device{}()};
  std::wstring tempName;
  HANDLE created = INVALID_HANDLE_VALUE;
  DWORD error = ERROR_FILE_EXISTS;
  for (int attempt = 0; attempt < 100 && created == INVALID_HANDLE_VALUE; ++attempt) {
    std::string suffix(8, 'x');
    for (char& c : suffix) c = kLetters[random() % (sizeof kLetters - 1)];
    tempName = win32::Widen(name + "." + suffix + ".tmp");
    created = CreateFileW(tempName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    error = created == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if (error != 0 && error != ERROR_FILE_EXISTS) break;
  }
  if (created == INVALID_HANDLE_VALUE) return SystemFailure(error);
  {
    Handle file(created);
    error = WriteAll(file.Get(), content);
    if (error == 0 && !FlushFileBuffers(file.Get())) error = GetLastError();
  }
  if (error == 0 && !MoveFileExW(tempName.c_str(), win32::Widen(name).c_str(),
                                 MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
  }
  if (error != 0) {
    DeleteFileW(tempName.c_str());
    return SystemFailure(error);
  }
  return {};
}

TFileStatus ReadRegularFile(const std::string& name, size_t maxSize, std::string& content) {
  content.clear();
  Handle file(CreateFileW(win32::Widen(name).c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                          OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file.Valid()) return SystemFailure(GetLastError());
  TFileStatus status = CheckRegular(file.Get(), false);
  if (status.fault == TFileFault::OwnLink) status = {};  // links are followed for reading
  char buffer[65536];
  while (status.Ok()) {
    DWORD n = 0;
    if (!ReadFile(file.Get(), buffer, sizeof buffer, &n, nullptr)) {
      status = SystemFailure(GetLastError());
      break;
    }
    if (n == 0) break;
    if (content.size() + n > maxSize) {
      status = Failed(TFileFault::TooLarge);
      break;
    }
    content.append(buffer, n);
  }
  if (!status.Ok()) content.clear();
  return status;
}

}  // namespace vela
