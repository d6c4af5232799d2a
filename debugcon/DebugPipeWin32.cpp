#include "common/ArkSysUtils.h"
#include "common/ArkTypes.h"
#include "common/Win32Text.h"
#include "debugcon/ConsolePaths.h"
#include "debugcon/DebugPipe.h"
#include "debugcon/PipeSecurity.h"

namespace vela {
namespace {

HANDLE NewEvent(bool manualReset) {
  const HANDLE event = CreateEventW(nullptr, manualReset, FALSE, nullptr);
  if (event == nullptr) {
    throw TArkException("Не удалось создать канал отладочной консоли, CreateEvent(): " +
                        LastErrorText());
  }
  return event;
}

// Waits for the operation or the stop event; false when stopped (the
// operation is then cancelled and done with).
bool Await(HANDLE pipe, HANDLE stop, OVERLAPPED& overlapped) {
  const HANDLE handles[2] = {stop, overlapped.hEvent};
  if (WaitForMultipleObjects(2, handles, FALSE, INFINITE) == WAIT_OBJECT_0 + 1) return true;
  CancelIoEx(pipe, &overlapped);
  DWORD ignored = 0;
  GetOverlappedResult(pipe, &overlapped, &ignored, TRUE);
  return false;
}

}  // namespace

std::string DebugPipeName(const std::string& name) {
  if (name.size() >= 2 && name.compare(0, 2, "\\\\") == 0) return name;
  return "\\\\.\\pipe\\" + name;
}

TDebugPipe::TDebugPipe(const std::string& name)
    : pipeName_(DebugPipeName(name)),
      stopEvent_(NewEvent(true)),
      connectEvent_(NewEvent(true)),
      readEvent_(NewEvent(true)),
      writeEvent_(NewEvent(true)) {
  win32::TOwnerOnlySecurity security;
  pipe_ = CreateNamedPipeW(
      win32::Widen(pipeName_).c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
      PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
      kMaxInstances, kBufferSize, kBufferSize, 10000, security.Attributes());
  if (pipe_ == INVALID_HANDLE_VALUE) {
    const std::string why = LastErrorText();
    for (HANDLE event : {stopEvent_, connectEvent_, readEvent_, writeEvent_}) CloseHandle(event);
    throw TArkException("Не удалось создать канал отладочной консоли " + pipeName_ +
                        ", CreateNamedPipe(): " + why);
  }
  thread_ = std::thread([this] { Run(); });
}

TDebugPipe::~TDebugPipe() {
  SetEvent(stopEvent_);
  thread_.join();
  {
    std::lock_guard lock(mutex_);
    if (writePending_) {
      CancelIoEx(pipe_, &write_);
      DWORD ignored = 0;
      GetOverlappedResult(pipe_, &write_, &ignored, TRUE);
    }
  }
  CloseHandle(pipe_);
  for (HANDLE event : {stopEvent_, connectEvent_, readEvent_, writeEvent_}) CloseHandle(event);
}

bool TDebugPipe::Send(const std::string& text) {
  std::lock_guard lock(mutex_);
  if (!connected_ || text.empty() || writePending_) return false;
  writeBuffer_ = text;
  write_ = OVERLAPPED{};
  write_.hEvent = writeEvent_;
  // Pending before the write starts: its completion may come at once.
  writePending_ = true;
  if (WriteFile(pipe_, writeBuffer_.data(), static_cast<DWORD>(writeBuffer_.size()), nullptr,
                &write_)) {
    return true;  // the thread collects the completion from the event
  }
  if (GetLastError() == ERROR_IO_PENDING) return true;
  writePending_ = false;
  return false;
}

void TDebugPipe::CompleteWrite() {
  std::lock_guard lock(mutex_);
  ResetEvent(writeEvent_);
  if (!writePending_) return;
  DWORD written = 0;
  if (!GetOverlappedResult(pipe_, &write_, &written, FALSE) &&
      GetLastError() == ERROR_IO_INCOMPLETE) {
    return;
  }
  writePending_ = false;
}

void TDebugPipe::Run() {
  while (AwaitViewer() && ServeViewer()) {
  }
}

bool TDebugPipe::AwaitViewer() {
  OVERLAPPED connect{};
  connect.hEvent = connectEvent_;
  if (!ConnectNamedPipe(pipe_, &connect)) {
    const DWORD error = GetLastError();
    // A viewer that came between creating the pipe and this call is connected already.
    if (error == ERROR_IO_PENDING) {
      if (!Await(pipe_, stopEvent_, connect)) return false;
      DWORD ignored = 0;
      if (!GetOverlappedResult(pipe_, &connect, &ignored, FALSE)) return true;
    } else if (error != ERROR_PIPE_CONNECTED) {
      // Wait for the stop rather than spin on a pipe that cannot connect.
      return WaitForSingleObject(stopEvent_, INFINITE) != WAIT_OBJECT_0;
    }
  }
  connected_ = true;
  return true;
}

bool TDebugPipe::ServeViewer() {
  char buffer[kReadBufferSize];
  bool running = true;
  for (bool viewer = true; viewer && running;) {
    OVERLAPPED read{};
    read.hEvent = readEvent_;
    DWORD count = 0;
    // What the viewer sends is read and dropped, message parts included.
    if (ReadFile(pipe_, buffer, sizeof buffer, &count, &read)) continue;
    DWORD error = GetLastError();
    if (error == ERROR_MORE_DATA) continue;
    if (error == ERROR_IO_PENDING) {
      for (;;) {
        const HANDLE handles[3] = {stopEvent_, readEvent_, writeEvent_};
        const DWORD which = WaitForMultipleObjects(3, handles, FALSE, INFINITE);
        if (which == WAIT_OBJECT_0 + 2) {
          CompleteWrite();
          continue;
        }
        if (which != WAIT_OBJECT_0 + 1) {
          CancelIoEx(pipe_, &read);
          GetOverlappedResult(pipe_, &read, &count, TRUE);
          running = false;
          break;
        }
        error = GetOverlappedResult(pipe_, &read, &count, FALSE) ? 0 : GetLastError();
        break;
      }
    }
    if (running && error != 0 && error != ERROR_MORE_DATA) viewer = false;
  }
  // The viewer went (or the pipe ends): drop it and its write.
  std::lock_guard lock(mutex_);
  connected_ = false;
  if (writePending_) {
    CancelIoEx(pipe_, &write_);
    DWORD ignored = 0;
    GetOverlappedResult(pipe_, &write_, &ignored, TRUE);
    writePending_ = false;
  }
  DisconnectNamedPipe(pipe_);
  return running;
}

std::unique_ptr<TDebugOutput> OpenDebugOutput() {
  return std::make_unique<TDebugPipe>(kDebugConsoleName);
}

}  // namespace vela
