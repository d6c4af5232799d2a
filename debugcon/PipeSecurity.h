#pragma once
// Windows builds only: the security of the debug console pipe. Only the
// user the program runs as may open it (an explicit access list with that
// user alone; never a NULL one, which would let every user of the machine
// read the trace).

#include <windows.h>

#include <string>

namespace vela::win32 {

class TOwnerOnlySecurity {
 public:
  // Raises TArkException when the user's identity cannot be read.
  TOwnerOnlySecurity();
  ~TOwnerOnlySecurity();
  TOwnerOnlySecurity(const TOwnerOnlySecurity&) = delete;
  TOwnerOnlySecurity& operator=(const TOwnerOnlySecurity&) = delete;

  SECURITY_ATTRIBUTES* Attributes() { return &attributes_; }
  // The user's security identifier as text ("S-1-5-21-...").
  const std::wstring& UserSid() const { return userSid_; }

 private:
  std::wstring userSid_;
  PSECURITY_DESCRIPTOR descriptor_ = nullptr;
  SECURITY_ATTRIBUTES attributes_{};
};

}  // namespace vela::win32
