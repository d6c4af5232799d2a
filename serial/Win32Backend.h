#pragma once
// The serial backend over a Windows COM device, opened for overlapped I/O.
// The worker waits on the read's event and a wake event together; nothing
// polls. Line errors end the read in progress (fAbortOnError) and are
// collected with ClearCommError into the counters of the seam.

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <shared_mutex>

#include "serial/SerialBackend.h"
#include "serial/Win32Line.h"

namespace vela {

class Win32Backend : public SerialBackend {
 public:
  Win32Backend();
  ~Win32Backend() override;

  uint64_t Open(const std::string& portName) override;
  void Configure(const LineSettings& settings) override;
  bool IsOpen() const override;
  void Close() override;

  ReadResult Read(size_t maxOctets, int gapMs, const AnswerCompleteTest& complete) override;
  WriteResult WriteNow(const Octets& data) override;
  WriteResult WriteAll(const Octets& data, uint64_t session) override;

  LineErrorCounters ErrorCounters() override;
  QueueLevels Queues() override;
  void DiscardInput() override;
  void Wake() override;
  std::string DevicePath() const override;
  std::string DirectionControlText() const override;
  const char* ReadCallName() const override { return "ReadFile"; }
  const char* WriteCallName() const override { return "WriteFile"; }

 private:
  enum class Wait { Done, Woken, Failed };
  // Waits for the overlapped operation to end; on a wake it is cancelled
  // and what it moved is still counted in transferred.
  Wait Finish(OVERLAPPED& overlapped, DWORD& transferred, DWORD& error);
  // Reads what arrives within gapMs into collected_; false on a failure.
  bool ReadStep(size_t maxOctets, DWORD& error, bool& woken);
  // Under the device lock: counts the line errors ClearCommError reports;
  // returns the octets waiting in the driver's receive queue.
  DWORD CollectLineErrors();
  LineErrorCounters Counted();
  void SetRtsByProgram(bool high);
  bool SetLineControl(DCB& dcb);  // SetCommState; false with GetLastError set

  mutable std::shared_mutex deviceMutex_;  // handle_: shared for I/O, exclusive to open and close
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  HANDLE wakeEvent_ = nullptr;
  HANDLE readEvent_ = nullptr;
  HANDLE writeEvent_ = nullptr;
  std::atomic<bool> closing_{false};
  uint64_t session_ = 0;
  std::string portName_;
  DWORD gapMs_ = 0;  // the read time-out now set on the device
  std::atomic<win32::RtsLine> rts_{win32::RtsLine::Enable};
  RtsControl requested_ = RtsControl::Off;

  // A write started by WriteNow that has not completed yet; WriteAll waits for it.
  OVERLAPPED write_{};
  std::atomic<bool> writeInFlight_{false};
  Octets writeData_;

  // Under errorsMutex_: counts since Open, and the queues at the last error.
  std::mutex errorsMutex_;
  LineErrorCounters counters_;
  QueueLevels queues_;

  Octets collected_;  // worker thread: the read being collected
};

}  // namespace vela
