#include <io.h>
#include <windows.h>

// After windows.h, whose types it uses.
#include <shellapi.h>

#include "common/HostInfo.h"
#include "common/Win32Text.h"

namespace vela {

std::string ComputerName() {
  wchar_t name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD length = MAX_COMPUTERNAME_LENGTH + 1;
  if (!GetComputerNameW(name, &length)) return {};
  return win32::Narrow(name, length);
}

std::string UserName() {
  wchar_t name[257] = {};
  DWORD length = 257;
  if (!GetUserNameW(name, &length) || length == 0) return {};
  return win32::Narrow(name, length - 1);  // the count includes the terminating zero
}

bool IsTerminal(int standardStream) {
  return _isatty(standardStream) != 0;
}

std::vector<std::string> ProgramArguments(int argc, char** argv) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return std::vector<std::string>(argv + 1, argv + argc);
  std::vector<std::string> arguments;
  for (int i = 1; i < count; ++i) arguments.push_back(win32::Narrow(std::wstring(wide[i])));
  LocalFree(wide);
  return arguments;
}

}  // namespace vela
