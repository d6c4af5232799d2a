#include "debugcon/PipeSecurity.h"
// After windows.h (through the header): the security helpers need its types.
#include <sddl.h>

#include <vector>

#include "common/ArkSysUtils.h"
#include "common/ArkTypes.h"

namespace vela::win32 {
namespace {

[[noreturn]] void Raise(const char* call) {
  throw TArkException(std::string("Не удалось задать права канала отладочной консоли, ") + call +
                      "(): " + LastErrorText());
}

std::wstring CurrentUserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) Raise("OpenProcessToken");
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buffer(size);
  const bool read = size != 0 && GetTokenInformation(token, TokenUser, buffer.data(), size, &size);
  CloseHandle(token);
  if (!read) Raise("GetTokenInformation");
  wchar_t* text = nullptr;
  if (!ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid, &text)) {
    Raise("ConvertSidToStringSid");
  }
  std::wstring sid(text);
  LocalFree(text);
  return sid;
}

}  // namespace

TOwnerOnlySecurity::TOwnerOnlySecurity() : userSid_(CurrentUserSid()) {
  // Protected list (P: nothing inherited), one entry: all access for the user.
  const std::wstring sddl = L"D:P(A;;GA;;;" + userSid_ + L")";
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1,
                                                            &descriptor_, nullptr)) {
    Raise("ConvertStringSecurityDescriptorToSecurityDescriptor");
  }
  attributes_.nLength = sizeof attributes_;
  attributes_.lpSecurityDescriptor = descriptor_;
  attributes_.bInheritHandle = FALSE;
}

TOwnerOnlySecurity::~TOwnerOnlySecurity() {
  LocalFree(descriptor_);
}

}  // namespace vela::win32
