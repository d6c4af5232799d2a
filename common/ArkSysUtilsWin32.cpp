#include <windows.h>
// windows.h first: the version functions need its types.
#include <winver.h>

#include <cstring>
#include <vector>

#include "common/ArkSysUtils.h"
#include "common/CRuntimeErrorText.h"
#include "common/Win32Text.h"

namespace vela {
namespace {

const char kUnknownVersion[] = "?.?.?.?";

// The system's text for a code, in the user's language, without the line
// break FormatMessage ends it with.
std::string MessageOfCode(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(&buffer),
      0, nullptr);
  if (length == 0 || buffer == nullptr) return "неизвестная ошибка";
  std::wstring text(buffer, length);
  LocalFree(buffer);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
    text.pop_back();
  }
  return win32::Narrow(text);
}

}  // namespace

std::string SystemErrorText(int code) {
  return "ошибка #" + std::to_string(code) + ": " + MessageOfCode(static_cast<DWORD>(code));
}

std::string CRuntimeErrorText(int errnoValue) {
  // The C runtime's own texts are English: the code is what tells.
  return "ошибка #" + std::to_string(errnoValue) + ": " + std::strerror(errnoValue);
}

std::string LastErrorText() {
  return SystemErrorText(static_cast<int>(GetLastError()));
}

std::string FileVersionText(const std::string& fileName) {
  const std::wstring name = win32::Widen(fileName);
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(name.c_str(), &ignored);
  if (size == 0) return kUnknownVersion;
  std::vector<char> data(size, '\0');
  if (!GetFileVersionInfoW(name.c_str(), 0, size, data.data())) return kUnknownVersion;
  // A missing root block reads as a zero record: 0.0.0.0.
  VS_FIXEDFILEINFO fixed{};
  void* found = nullptr;
  UINT length = 0;
  if (VerQueryValueW(data.data(), L"\\", &found, &length) && found && length >= sizeof fixed) {
    fixed = *static_cast<const VS_FIXEDFILEINFO*>(found);
  }
  return std::to_string(HIWORD(fixed.dwFileVersionMS)) + "." +
         std::to_string(LOWORD(fixed.dwFileVersionMS)) + "." +
         std::to_string(HIWORD(fixed.dwFileVersionLS)) + "." +
         std::to_string(LOWORD(fixed.dwFileVersionLS));
}

std::string OwnExecutablePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) return win32::Narrow(buffer.data(), length);
    if (buffer.size() >= (1u << 16)) return {};
    buffer.resize(buffer.size() * 2);
  }
}

// Windows gives a program without standard handles no numbers to take over,
// and a closed pipe fails a write with an error, never a signal.
void OpenClosedStandardDescriptors() {}
void IgnoreBrokenPipes() {}

void UseUtf8Console() {
  SetConsoleOutputCP(CP_UTF8);
}

}  // namespace vela
