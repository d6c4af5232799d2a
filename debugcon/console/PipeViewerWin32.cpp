// velalink-console for Windows: shows the trace of a running VelaLink, read
// from the pipe "\\.\pipe\dbg_VelaLink", one message a line. Waits for the
// program whenever it is not running; Ctrl+C ends it.
//
//   velalink-console            the pipe dbg_VelaLink
//   velalink-console NAME       the pipe NAME (or a full name "\\server\pipe\NAME")

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "common/ArkSysUtils.h"
#include "common/ProgramVersion.h"
#include "common/StopSignalWatch.h"
#include "common/Win32Text.h"
#include "debugcon/ConsolePaths.h"
#include "debugcon/DebugPipe.h"

namespace {

constexpr DWORD kRetryMs = 250;

const char* const kUsage =
    "Использование: velalink-console [имя канала]\n"
    "Показывает отладочную трассировку работающей программы VelaLink, по сообщению в строке.\n"
    "Завершение: Ctrl+C.\n"
    "\n"
    "  --help      показать эту справку\n"
    "  --version   показать версию программы\n";

class PipeViewer {
 public:
  PipeViewer(std::string name, HANDLE stop) : name_(std::move(name)), stop_(stop) {
    readEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  }
  ~PipeViewer() { CloseHandle(readEvent_); }

  int Run() {
    bool told = false;
    for (;;) {
      const HANDLE pipe = CreateFileW(win32Name().c_str(), GENERIC_READ | FILE_WRITE_ATTRIBUTES, 0,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
      if (pipe == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_ACCESS_DENIED) {
          std::fprintf(stderr,
                       "Нет доступа к %s: программа VelaLink запущена другим пользователем. "
                       "Запустите velalink-console от его имени.\n",
                       name_.c_str());
          return 1;
        }
        if (!told) std::fprintf(stderr, "Ожидание программы VelaLink (%s)...\n", name_.c_str());
        told = true;
        if (WaitForSingleObject(stop_, kRetryMs) == WAIT_OBJECT_0) return 0;
        continue;
      }
      DWORD mode = PIPE_READMODE_MESSAGE;
      SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr);
      std::fprintf(stderr, "Подключено: %s\n", name_.c_str());
      const int result = Serve(pipe);
      CloseHandle(pipe);
      if (result >= 0) return result;
      std::fprintf(stderr, "Соединение закрыто.\n");
      told = false;
    }
  }

 private:
  std::wstring win32Name() const { return vela::win32::Widen(name_); }

  // -1 when the program went; else the exit code.
  int Serve(HANDLE pipe) {
    std::string message;
    char buffer[4096];
    for (;;) {
      OVERLAPPED read{};
      read.hEvent = readEvent_;
      DWORD count = 0;
      DWORD error = 0;
      if (!ReadFile(pipe, buffer, sizeof buffer, &count, &read)) {
        error = GetLastError();
        if (error == ERROR_IO_PENDING) {
          const HANDLE handles[2] = {stop_, readEvent_};
          if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) != WAIT_OBJECT_0 + 1) {
            CancelIoEx(pipe, &read);
            GetOverlappedResult(pipe, &read, &count, TRUE);
            return 0;
          }
          error = GetOverlappedResult(pipe, &read, &count, FALSE) ? 0 : GetLastError();
        }
      }
      message.append(buffer, count);
      if (error == ERROR_MORE_DATA) continue;  // the rest of the message follows
      if (error != 0) return -1;
      message += '\n';
      if (std::fputs(message.c_str(), stdout) < 0 || std::fflush(stdout) != 0) return 1;
      message.clear();
    }
  }

  const std::string name_;
  const HANDLE stop_;
  HANDLE readEvent_ = nullptr;
};

}  // namespace

int main(int argc, char** argv) {
  vela::UseUtf8Console();
  if (argc == 2 && (std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "--help") == 0)) {
    std::fputs(kUsage, stdout);
    return 0;
  }
  if (argc == 2 && std::strcmp(argv[1], "--version") == 0) {
    std::fputs(vela::ProgramVersionText("velalink-console").c_str(), stdout);
    return 0;
  }
  if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
    std::fputs(kUsage, stderr);
    return 2;
  }
  const std::string name = vela::DebugPipeName(argc == 2 ? argv[1] : vela::kDebugConsoleName);
  const HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  vela::TStopSignalWatch watch([stop](int) { SetEvent(stop); });
  return PipeViewer(name, stop).Run();
}
