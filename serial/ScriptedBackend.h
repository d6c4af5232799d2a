#pragma once
// A serial backend that plays a script, for what a pseudo-terminal cannot do:
// line errors, refused settings, a driver that takes a write in parts. Each
// pushed read is one completed read of the worker.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>
#include <vector>

#include "serial/SerialBackend.h"

namespace vela {

class ScriptedBackend : public SerialBackend {
 public:
  struct Script {
    Octets data;
    LineErrorCounters errorsAdded;  // counted when this read completes
  };

  // The test's side; any thread.
  void PushRead(const Octets& data, const LineErrorCounters& errorsAdded = {});
  void FailNextOpen(const std::string& message);
  void FailConfigure(std::optional<std::string> message);  // nullopt: accept again
  void TakeAtMostPerWrite(size_t octets);                  // WriteNow's room
  void HoldRemainders(bool hold);
  void FailRemainders(int error);  // WriteAll fails with this errno (0: succeeds)  // WriteAll
                                   // waits while held (until woken)
  void SetQueues(const QueueLevels& queues);
  std::vector<Octets> Written() const;  // one entry per write call, in order
  std::vector<LineSettings> Configured() const;
  int DiscardCount() const;
  int CloseCount() const;

  uint64_t Open(const std::string& portName) override;
  void Configure(const LineSettings& settings) override;
  bool IsOpen() const override;
  void Close() override;
  // Each pushed read is whole as it is: the answer test is not asked.
  ReadResult Read(size_t maxOctets, int gapMs, const AnswerCompleteTest& complete) override;
  WriteResult WriteNow(const Octets& data) override;
  WriteResult WriteAll(const Octets& data, uint64_t session) override;
  LineErrorCounters ErrorCounters() override;
  QueueLevels Queues() override;
  void DiscardInput() override;
  void Wake() override;

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<Script> reads_;
  bool open_ = false;
  bool woken_ = false;
  uint64_t session_ = 0;
  std::optional<std::string> openFailure_;
  std::optional<std::string> configureFailure_;
  size_t writeRoom_ = SIZE_MAX;
  bool holdRemainders_ = false;
  int remainderError_ = 0;
  QueueLevels queues_;
  LineErrorCounters errors_;
  std::vector<Octets> written_;
  std::vector<LineSettings> configured_;
  int discards_ = 0;
  int closes_ = 0;
};

}  // namespace vela
