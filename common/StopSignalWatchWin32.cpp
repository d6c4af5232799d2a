#include <windows.h>

#include <csignal>
#include <mutex>

#include "common/ArkSysUtils.h"
#include "common/ArkTypes.h"
#include "common/StopSignalWatch.h"

namespace vela {
namespace {

// Windows runs the console's control handler in a thread of its own, so the
// handler may call onStop itself; the lock keeps it from a watch being ended.
std::mutex gMutex;
std::function<void(int)>* gOnStop = nullptr;

BOOL WINAPI OnConsoleControl(DWORD event) {
  int number = 0;
  switch (event) {
    case CTRL_C_EVENT:
      number = SIGINT;
      break;
    case CTRL_BREAK_EVENT:
      number = SIGBREAK;
      break;
    case CTRL_CLOSE_EVENT:
      number = SIGTERM;
      break;
    default:
      return FALSE;
  }
  std::lock_guard lock(gMutex);
  if (gOnStop == nullptr) return FALSE;
  (*gOnStop)(number);
  return TRUE;
}

}  // namespace

struct TStopSignalWatch::TState {
  std::function<void(int)> onStop;
};

TStopSignalWatch::TStopSignalWatch(std::function<void(int)> onStop)
    : state_(std::make_unique<TState>()) {
  state_->onStop = std::move(onStop);
  {
    std::lock_guard lock(gMutex);
    gOnStop = &state_->onStop;
  }
  if (!SetConsoleCtrlHandler(OnConsoleControl, TRUE)) {
    const std::string why = LastErrorText();
    std::lock_guard lock(gMutex);
    gOnStop = nullptr;
    throw TArkException("Не удалось установить обработчик Ctrl-C, " + why);
  }
}

TStopSignalWatch::~TStopSignalWatch() {
  SetConsoleCtrlHandler(OnConsoleControl, FALSE);
  std::lock_guard lock(gMutex);
  gOnStop = nullptr;
}

}  // namespace vela
