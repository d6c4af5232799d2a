// Windows: the debug console pipe. Only its user may open it; traces go out
// one message each while a viewer is connected and are dropped otherwise; a
// viewer that goes and comes back gets traces again.

#include <gtest/gtest.h>
#include <windows.h>
// After windows.h: the security functions need its types.
#include <aclapi.h>
#include <sddl.h>

#include <chrono>
#include <thread>

#include "common/Win32Text.h"
#include "debugcon/DebugPipe.h"
#include "debugcon/PipeSecurity.h"

namespace vela {
namespace {

const char kName[] = "velalink_test_pipe";

HANDLE OpenViewer() {
  const std::wstring name = win32::Widen(DebugPipeName(kName));
  const HANDLE pipe = CreateFileW(name.c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                  OPEN_EXISTING, 0, nullptr);
  if (pipe != INVALID_HANDLE_VALUE) {
    DWORD mode = PIPE_READMODE_MESSAGE;
    SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
  }
  return pipe;
}

// Sends until the pipe's thread has seen the viewer (it connects on its own time).
bool SendWhenConnected(TDebugPipe& pipe, const std::string& text) {
  for (int attempt = 0; attempt < 500; ++attempt) {
    if (pipe.Send(text)) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

std::string ReadMessage(HANDLE viewer) {
  char buffer[256];
  DWORD count = 0;
  if (!ReadFile(viewer, buffer, sizeof buffer, &count, nullptr)) return "<read failed>";
  return std::string(buffer, count);
}

TEST(DebugPipe, TheAccessListAdmitsTheUserAloneNeverEveryone) {
  TDebugPipe pipe(kName);
  const HANDLE viewer = OpenViewer();
  ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
  PACL dacl = nullptr;
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_EQ(GetSecurityInfo(viewer, SE_KERNEL_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                            &dacl, nullptr, &descriptor),
            static_cast<DWORD>(ERROR_SUCCESS));
  ASSERT_NE(dacl, nullptr) << "a NULL access list admits everyone";
  ASSERT_EQ(dacl->AceCount, 1);
  void* ace = nullptr;
  ASSERT_TRUE(GetAce(dacl, 0, &ace));
  const auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
  EXPECT_EQ(allowed->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
  wchar_t* sid = nullptr;
  ASSERT_TRUE(ConvertSidToStringSidW(const_cast<DWORD*>(&allowed->SidStart), &sid));
  EXPECT_EQ(std::wstring(sid), win32::TOwnerOnlySecurity().UserSid());
  LocalFree(sid);
  LocalFree(descriptor);
  CloseHandle(viewer);
}

TEST(DebugPipe, TracesReachAConnectedViewerOneMessageEachAndAReturningOne) {
  TDebugPipe pipe(kName);
  EXPECT_FALSE(pipe.Send("nobody listens"));
  for (int round = 0; round < 2; ++round) {
    const HANDLE viewer = OpenViewer();
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE) << "round " << round;
    const std::string texts[] = {" Wr: 010300000002C40B", "    <GetValues4>"};
    for (const std::string& text : texts) {
      ASSERT_TRUE(SendWhenConnected(pipe, text)) << text;
      EXPECT_EQ(ReadMessage(viewer), text);
    }
    CloseHandle(viewer);
    // The pipe notices the viewer left and listens again.
    for (int attempt = 0; attempt < 500 && pipe.Connected(); ++attempt) {
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    EXPECT_FALSE(pipe.Connected());
  }
}

}  // namespace
}  // namespace vela
