#include "serial/ScriptedBackend.h"

#include <algorithm>
#include <cerrno>

namespace vela {

void ScriptedBackend::PushRead(const Octets& data, const LineErrorCounters& errorsAdded) {
  {
    std::lock_guard lock(mutex_);
    reads_.push_back({data, errorsAdded});
  }
  changed_.notify_all();
}

void ScriptedBackend::FailNextOpen(const std::string& message) {
  std::lock_guard lock(mutex_);
  openFailure_ = message;
}

void ScriptedBackend::FailConfigure(std::optional<std::string> message) {
  std::lock_guard lock(mutex_);
  configureFailure_ = std::move(message);
}

void ScriptedBackend::TakeAtMostPerWrite(size_t octets) {
  std::lock_guard lock(mutex_);
  writeRoom_ = octets;
}

void ScriptedBackend::HoldRemainders(bool hold) {
  {
    std::lock_guard lock(mutex_);
    holdRemainders_ = hold;
  }
  changed_.notify_all();
}

void ScriptedBackend::FailRemainders(int error) {
  std::lock_guard lock(mutex_);
  remainderError_ = error;
}

void ScriptedBackend::SetQueues(const QueueLevels& queues) {
  std::lock_guard lock(mutex_);
  queues_ = queues;
}

std::vector<Octets> ScriptedBackend::Written() const {
  std::lock_guard lock(mutex_);
  return written_;
}

std::vector<LineSettings> ScriptedBackend::Configured() const {
  std::lock_guard lock(mutex_);
  return configured_;
}

int ScriptedBackend::DiscardCount() const {
  std::lock_guard lock(mutex_);
  return discards_;
}

int ScriptedBackend::CloseCount() const {
  std::lock_guard lock(mutex_);
  return closes_;
}

uint64_t ScriptedBackend::Open(const std::string&) {
  std::lock_guard lock(mutex_);
  if (openFailure_) {
    const std::string message = *openFailure_;
    openFailure_.reset();
    throw TArkException(message);
  }
  open_ = true;
  errors_ = {};
  return ++session_;
}

void ScriptedBackend::Configure(const LineSettings& settings) {
  std::lock_guard lock(mutex_);
  if (configureFailure_) throw TArkException(*configureFailure_);
  configured_.push_back(settings);
}

bool ScriptedBackend::IsOpen() const {
  std::lock_guard lock(mutex_);
  return open_;
}

void ScriptedBackend::Close() {
  {
    std::lock_guard lock(mutex_);
    open_ = false;
    woken_ = true;
    ++closes_;
  }
  changed_.notify_all();
}

ReadResult ScriptedBackend::Read(size_t maxOctets, int, const AnswerCompleteTest&) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return woken_ || (open_ && !reads_.empty()); });
  ReadResult result{ReadStatus::Woken, {}, 0, session_};
  if (woken_) {
    woken_ = false;
    return result;
  }
  Script next = std::move(reads_.front());
  reads_.pop_front();
  errors_.parity += next.errorsAdded.parity;
  errors_.framing += next.errorsAdded.framing;
  errors_.overrun += next.errorsAdded.overrun;
  errors_.queueOverflow += next.errorsAdded.queueOverflow;
  result.status = ReadStatus::Data;
  result.data = next.data.substr(0, maxOctets);
  return result;
}

WriteResult ScriptedBackend::WriteNow(const Octets& data) {
  std::lock_guard lock(mutex_);
  if (!open_) return {WriteStatus::Failed, 0, EBADF};
  const size_t taken = std::min(writeRoom_, data.size());
  written_.push_back(data.substr(0, taken));
  return {taken == data.size() ? WriteStatus::Done : WriteStatus::Partial, taken, 0};
}

WriteResult ScriptedBackend::WriteAll(const Octets& data, uint64_t session) {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return woken_ || !holdRemainders_; });
  if (woken_) {
    woken_ = false;
    return {WriteStatus::Woken, 0, 0};
  }
  if (!open_ || session != session_) return {WriteStatus::Woken, 0, 0};
  if (remainderError_ != 0) return {WriteStatus::Failed, 0, remainderError_};
  written_.push_back(data);
  return {WriteStatus::Done, data.size(), 0};
}

LineErrorCounters ScriptedBackend::ErrorCounters() {
  std::lock_guard lock(mutex_);
  return errors_;
}

QueueLevels ScriptedBackend::Queues() {
  std::lock_guard lock(mutex_);
  return queues_;
}

void ScriptedBackend::DiscardInput() {
  std::lock_guard lock(mutex_);
  ++discards_;
}

void ScriptedBackend::Wake() {
  {
    std::lock_guard lock(mutex_);
    woken_ = true;
  }
  changed_.notify_all();
}

}  // namespace vela
