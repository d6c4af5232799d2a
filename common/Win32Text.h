#pragma once
// Windows builds only: the program's texts are UTF-8, the system's wide
// strings are UTF-16; these convert between them.

#include <string>

namespace vela::win32 {

std::wstring Widen(const std::string& utf8);
std::string Narrow(const std::wstring& utf16);
std::string Narrow(const wchar_t* utf16, size_t length);

}  // namespace vela::win32
