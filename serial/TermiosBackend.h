#pragma once
// The serial backend over a POSIX terminal device (a UART, a USB adapter or a
// pseudo-terminal). The worker's waits are poll() on the device and an eventfd
// that Wake signals; nothing polls in a loop.

#include <termios.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <shared_mutex>
#include <string_view>

#include "serial/Rs485Direction.h"
#include "serial/SerialBackend.h"

namespace vela {

class TermiosBackend : public SerialBackend {
 public:
  TermiosBackend();
  ~TermiosBackend() override;

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

 private:
  WriteResult WriteAllLocked(const Octets& data, uint64_t session);
  enum class Ready { Device, Woken, TimedOut, Failed };
  Ready WaitFor(short events, int64_t timeoutUs, short& revents, int& error);  // -1: no limit
  // arrived: how many octets this call added.
  bool ReadAvailable(size_t maxOctets, int& error, size_t& arrived);
  WriteResult WriteAvailable(std::string_view data);
  LineErrorCounters RawCounters() const;
  void DrainWake();

  // fd_ lives under deviceMutex_: Read and writes hold it shared, Open and
  // Close exclusively. Close first raises closing_ and wakes, so a Read in
  // progress lets go at once.
  mutable std::shared_mutex deviceMutex_;
  int fd_ = -1;
  int wakeFd_ = -1;
  std::atomic<bool> closing_{false};
  uint64_t session_ = 0;
  bool pseudoTerminal_ = false;
  std::string devicePath_;
  Rs485Direction direction_;  // set by Configure, used around writes
  LineErrorCounters countersAtOpen_;
  // The terminal settings found at open, put back when configuring fails.
  termios attributesAtOpen_{};

  // The read being collected, under collectedMutex_ (the worker fills it;
  // DiscardInput empties it from any thread).
  std::mutex collectedMutex_;
  Octets collected_;
  int64_t lastOctetUs_ = 0;
};

}  // namespace vela
