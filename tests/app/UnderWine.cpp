// Windows test builds: whether the test runs under Wine, for the few
// behaviours where Wine's file system differs from Windows'.

#include <windows.h>

namespace vela::test {

bool UnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

}  // namespace vela::test
