#include "serial/Win32Backend.h"

#include <algorithm>
#include <cstring>
#include <mutex>

#include "common/ArkSysUtils.h"
#include "common/ArkTypes.h"
#include "common/Win32Text.h"
#include "serial/PortFailures.h"
#include "serial/SystemBackend.h"

namespace vela {
namespace {

constexpr DWORD kQueueSize = 8192;  // the driver's queues, each way
constexpr DWORD kDefaultGapMs = 50;

[[noreturn]] void Raise(const char* what, const char* call, DWORD error) {
  throw TArkException(std::string(what) + "\r\n " + call +
                      "(): " + SystemErrorText(static_cast<int>(error)));
}

HANDLE NewEvent(bool manualReset) {
  const HANDLE event = CreateEventW(nullptr, manualReset, FALSE, nullptr);
  if (event == nullptr) Raise("Не удалось настроить порт", "CreateEvent", GetLastError());
  return event;
}

}  // namespace

Win32Backend::Win32Backend()
    : wakeEvent_(NewEvent(false)), readEvent_(NewEvent(true)), writeEvent_(NewEvent(true)) {}

Win32Backend::~Win32Backend() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  CloseHandle(wakeEvent_);
  CloseHandle(readEvent_);
  CloseHandle(writeEvent_);
}

uint64_t Win32Backend::Open(const std::string& portName) {
  const std::wstring path = L"\\\\.\\" + win32::Widen(portName);
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
  if (handle == INVALID_HANDLE_VALUE) RaiseOpenFailure(portName, "", "CreateFile", GetLastError());
  const auto fail = [handle](const char* call) {
    const DWORD error = GetLastError();
    CloseHandle(handle);
    Raise("Не удалось настроить порт", call, error);
  };
  if (!SetupComm(handle, kQueueSize, kQueueSize)) fail("SetupComm");
  COMMTIMEOUTS timeouts = win32::ReadAsItArrives(kDefaultGapMs);
  if (!SetCommTimeouts(handle, &timeouts)) fail("SetCommTimeouts");
  // What arrived while nobody had the line open is no answer to anything.
  PurgeComm(handle, PURGE_RXABORT | PURGE_RXCLEAR | PURGE_TXABORT | PURGE_TXCLEAR);
  DWORD errors = 0;
  ClearCommError(handle, &errors, nullptr);
  std::unique_lock lock(deviceMutex_);
  handle_ = handle;
  portName_ = portName;
  gapMs_ = kDefaultGapMs;
  writeInFlight_ = false;
  collected_.clear();
  {
    std::lock_guard errorsLock(errorsMutex_);
    counters_ = {};
    queues_ = {};
  }
  closing_ = false;
  return ++session_;
}

void Win32Backend::Configure(const LineSettings& settings) {
  std::shared_lock lock(deviceMutex_);
  const char kWriteFailed[] = "Не удалось записать настройки порта";
  if (handle_ == INVALID_HANDLE_VALUE) Raise(kWriteFailed, "SetCommState", ERROR_INVALID_HANDLE);
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(handle_, &dcb)) {
    Raise("Не удалось прочитать настройки порта", "GetCommState", GetLastError());
  }
  // The driver's toggle where it has one; the program's own switching when
  // asked for, or when the driver refuses the toggle and either will do.
  using win32::RtsLine;
  RtsLine line = settings.rtsControl == RtsControl::Off      ? RtsLine::Enable
                 : settings.rtsControl == RtsControl::Toggle ? RtsLine::ByProgram
                                                             : RtsLine::Toggle;
  if (!win32::FillLineControl(dcb, settings, line)) {
    Raise(kWriteFailed, "SetCommState", ERROR_INVALID_PARAMETER);
  }
  if (!SetLineControl(dcb)) {
    const DWORD error = GetLastError();
    if (settings.rtsControl != RtsControl::Auto) Raise(kWriteFailed, "SetCommState", error);
    line = RtsLine::ByProgram;
    win32::FillLineControl(dcb, settings, line);
    if (!SetLineControl(dcb)) Raise(kWriteFailed, "SetCommState", GetLastError());
  }
  rts_ = line;
  requested_ = settings.rtsControl;
}

bool Win32Backend::SetLineControl(DCB& dcb) {
  if (SetCommState(handle_, &dcb)) return true;
  const DWORD error = GetLastError();
  // Wine on a pseudo-terminal refuses parity on a line whose settings are
  // already the ones asked for (the C library sees that a pseudo-terminal
  // keeps no parity); one step through "no parity" lets the block in.
  if (error != ERROR_INVALID_PARAMETER || dcb.Parity == NOPARITY) return false;
  DCB plain = dcb;
  plain.Parity = NOPARITY;
  if (SetCommState(handle_, &plain) && SetCommState(handle_, &dcb)) return true;
  SetLastError(error);
  return false;
}

bool Win32Backend::IsOpen() const {
  std::shared_lock lock(deviceMutex_);
  return handle_ != INVALID_HANDLE_VALUE;
}

void Win32Backend::Close() {
  closing_ = true;
  Wake();
  std::unique_lock lock(deviceMutex_);
  if (handle_ == INVALID_HANDLE_VALUE) return;
  if (rts_ == win32::RtsLine::ByProgram) SetRtsByProgram(false);
  // Closing ends the reads and writes still in progress.
  const BOOL closed = CloseHandle(handle_);
  const DWORD error = GetLastError();
  handle_ = INVALID_HANDLE_VALUE;
  writeInFlight_ = false;
  collected_.clear();
  ResetEvent(wakeEvent_);
  if (!closed) Raise("Не удалось закрыть порт", "CloseHandle", error);
}

Win32Backend::Wait Win32Backend::Finish(OVERLAPPED& overlapped, DWORD& transferred, DWORD& error) {
  const HANDLE handles[2] = {wakeEvent_, overlapped.hEvent};
  const DWORD which = WaitForMultipleObjects(2, handles, FALSE, INFINITE);
  if (which == WAIT_OBJECT_0) {
    CancelIoEx(handle_, &overlapped);
    GetOverlappedResult(handle_, &overlapped, &transferred, TRUE);
    return Wait::Woken;
  }
  if (which != WAIT_OBJECT_0 + 1) {
    error = GetLastError();
    CancelIoEx(handle_, &overlapped);
    GetOverlappedResult(handle_, &overlapped, &transferred, TRUE);
    return Wait::Failed;
  }
  if (!GetOverlappedResult(handle_, &overlapped, &transferred, FALSE)) {
    error = GetLastError();
    return Wait::Failed;
  }
  return Wait::Done;
}

bool Win32Backend::ReadStep(size_t maxOctets, DWORD& error, bool& woken) {
  char buffer[1024];
  // What the driver holds comes at once; with nothing there, one octet ends
  // the read as soon as it arrives (or the time-out, empty).
  const size_t room = std::min(sizeof buffer, maxOctets - collected_.size());
  const DWORD wanted = static_cast<DWORD>(std::clamp<size_t>(CollectLineErrors(), 1, room));
  OVERLAPPED overlapped{};
  overlapped.hEvent = readEvent_;
  DWORD count = 0;
  bool alive = true;
  if (!ReadFile(handle_, buffer, wanted, &count, &overlapped)) {
    error = GetLastError();
    count = 0;
    if (error == ERROR_TIMEOUT) return true;  // Wine ends a read that saw nothing this way
    if (error != ERROR_IO_PENDING) return false;
    const Wait wait = Finish(overlapped, count, error);
    woken = wait == Wait::Woken;
    alive = wait != Wait::Failed || error == ERROR_TIMEOUT;
  }
  collected_.append(buffer, count);
  return alive;
}

ReadResult Win32Backend::Read(size_t maxOctets, int gapMs, const AnswerCompleteTest& complete) {
  std::shared_lock lock(deviceMutex_);
  ReadResult result{ReadStatus::Woken, {}, 0, session_};
  if (handle_ == INVALID_HANDLE_VALUE || closing_) return result;
  const DWORD gap = static_cast<DWORD>(std::max(gapMs, 1));
  if (gap != gapMs_) {
    COMMTIMEOUTS timeouts = win32::ReadAsItArrives(gap);
    if (SetCommTimeouts(handle_, &timeouts)) gapMs_ = gap;
  }
  for (;;) {
    if (closing_) return result;
    if (collected_.size() >= maxOctets) break;
    const size_t before = collected_.size();
    DWORD error = 0;
    bool woken = false;
    if (!ReadStep(maxOctets, error, woken)) {
      if (error != ERROR_OPERATION_ABORTED) {
        collected_.clear();
        result.status = ReadStatus::Failed;
        result.error = static_cast<int>(error);
        return result;
      }
      // A line error ended the read: the port reports it with what came so far.
      const LineErrorCounters before = Counted();
      CollectLineErrors();
      if (std::memcmp(&before, &counters_, sizeof before) != 0) break;
      continue;
    }
    if (woken) return result;
    if (collected_.size() == before) {
      if (!collected_.empty()) break;  // the silence ended the answer
      continue;                        // still waiting for its first octet
    }
    // A whole answer ends the read without waiting for the silence.
    if (complete && complete(collected_)) break;
  }
  result.status = ReadStatus::Data;
  result.data = std::move(collected_);
  collected_.clear();
  return result;
}

WriteResult Win32Backend::WriteNow(const Octets& data) {
  std::shared_lock lock(deviceMutex_);
  if (handle_ == INVALID_HANDLE_VALUE) return {WriteStatus::Failed, 0, ERROR_INVALID_HANDLE};
  const bool byProgram = rts_ == win32::RtsLine::ByProgram;
  if (byProgram) SetRtsByProgram(true);
  writeData_ = data;
  write_ = OVERLAPPED{};
  write_.hEvent = writeEvent_;
  DWORD count = 0;
  if (WriteFile(handle_, writeData_.data(), static_cast<DWORD>(writeData_.size()), &count,
                &write_)) {
    // RTS drops only when the octets have left: the worker waits for that.
    return {byProgram ? WriteStatus::Partial : WriteStatus::Done, count, 0};
  }
  const DWORD error = GetLastError();
  if (error == ERROR_IO_PENDING) {
    // The driver holds them all; WriteAll waits for the completion.
    writeInFlight_ = true;
    return {WriteStatus::Partial, data.size(), 0};
  }
  if (byProgram) SetRtsByProgram(false);
  return {WriteStatus::Failed, 0, static_cast<int>(error)};
}

WriteResult Win32Backend::WriteAll(const Octets& data, uint64_t session) {
  std::shared_lock lock(deviceMutex_);
  const auto gone = [&] {
    return handle_ == INVALID_HANDLE_VALUE || closing_ || session != session_;
  };
  size_t written = 0;
  WriteResult result{WriteStatus::Done, 0, 0};
  // The write WriteNow started: a wake for anything but the end of this
  // opening leaves it running.
  while (writeInFlight_ && !gone()) {
    DWORD count = 0;
    DWORD error = 0;
    const Wait wait = Finish(write_, count, error);
    if (wait == Wait::Woken) continue;
    writeInFlight_ = false;
    if (wait == Wait::Failed) result = {WriteStatus::Failed, 0, static_cast<int>(error)};
    if (wait == Wait::Done && count != writeData_.size()) {
      result = {WriteStatus::Failed, 0, ERROR_WRITE_FAULT};
    }
  }
  while (result.status == WriteStatus::Done && written < data.size()) {
    if (gone()) return {WriteStatus::Woken, written, 0};
    writeData_ = data.substr(written);
    write_ = OVERLAPPED{};
    write_.hEvent = writeEvent_;
    DWORD count = 0;
    DWORD error = 0;
    if (!WriteFile(handle_, writeData_.data(), static_cast<DWORD>(writeData_.size()), &count,
                   &write_)) {
      error = GetLastError();
      const Wait wait = error == ERROR_IO_PENDING ? Finish(write_, count, error) : Wait::Failed;
      written += count;
      if (wait == Wait::Woken) return {WriteStatus::Woken, written, 0};
      if (wait == Wait::Failed) result = {WriteStatus::Failed, 0, static_cast<int>(error)};
      continue;
    }
    written += count;
  }
  if (gone() && result.status == WriteStatus::Done && written < data.size()) {
    return {WriteStatus::Woken, written, 0};
  }
  if (handle_ != INVALID_HANDLE_VALUE && rts_ == win32::RtsLine::ByProgram) {
    FlushFileBuffers(handle_);  // returns once the octets have left the transmitter
    SetRtsByProgram(false);
  }
  result.written = written;
  return result;
}

DWORD Win32Backend::CollectLineErrors() {
  DWORD errors = 0;
  COMSTAT status{};
  if (handle_ == INVALID_HANDLE_VALUE || !ClearCommError(handle_, &errors, &status)) return 0;
  std::lock_guard lock(errorsMutex_);
  if (errors & CE_RXOVER) ++counters_.queueOverflow;
  if (errors & CE_OVERRUN) ++counters_.overrun;
  if (errors & CE_RXPARITY) ++counters_.parity;
  if (errors & CE_FRAME) ++counters_.framing;
  if (errors & CE_BREAK) ++counters_.breaks;
  if (errors != 0) queues_ = {status.cbInQue, status.cbOutQue};
  return status.cbInQue;
}

LineErrorCounters Win32Backend::Counted() {
  std::lock_guard lock(errorsMutex_);
  return counters_;
}

LineErrorCounters Win32Backend::ErrorCounters() {
  std::shared_lock lock(deviceMutex_);
  CollectLineErrors();
  return Counted();
}

QueueLevels Win32Backend::Queues() {
  std::lock_guard lock(errorsMutex_);
  return queues_;
}

void Win32Backend::DiscardInput() {
  std::shared_lock lock(deviceMutex_);
  collected_.clear();
  if (handle_ != INVALID_HANDLE_VALUE) PurgeComm(handle_, PURGE_RXABORT | PURGE_RXCLEAR);
}

void Win32Backend::Wake() {
  SetEvent(wakeEvent_);
}

std::string Win32Backend::DevicePath() const {
  std::shared_lock lock(deviceMutex_);
  return portName_;
}

std::string Win32Backend::DirectionControlText() const {
  switch (rts_.load()) {
    case win32::RtsLine::Toggle:
      return "RS-485: направление по RTS переключает драйвер (RTS_CONTROL_TOGGLE)";
    case win32::RtsLine::ByProgram:
      return "RS-485: направление по RTS переключает программа при каждой передаче";
    case win32::RtsLine::Enable:
      break;
  }
  return "RS-485: RTS не управляется";
}

void Win32Backend::SetRtsByProgram(bool high) {
  EscapeCommFunction(handle_, high ? SETRTS : CLRRTS);
}

std::unique_ptr<SerialBackend> MakeSystemSerialBackend() {
  return std::make_unique<Win32Backend>();
}

}  // namespace vela
