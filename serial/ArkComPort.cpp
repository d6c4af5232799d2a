#include "serial/ArkComPort.h"

#include <utility>

#include "common/ArkSysUtils.h"
#include "serial/PortNames.h"
#include "serial/SystemBackend.h"

namespace vela {

struct TArkComPort::WorkerTask {
  enum class Kind { Stop, Read, FinishWrite };
  Kind kind = Kind::Stop;
  uint64_t generation = 0;
  uint64_t session = 0;
  Octets data;         // FinishWrite: the whole write
  size_t written = 0;  // FinishWrite: the part the driver has taken
};

TArkComPort::TArkComPort(const std::string& portName)
    : TArkComPort(portName, MakeSystemSerialBackend()) {}

TArkComPort::TArkComPort(const std::string& portName, std::unique_ptr<SerialBackend> backend)
    : backend_(std::move(backend)) {
  SetPortName(portName);
  Start();
}

TArkComPort::~TArkComPort() {
  {
    std::lock_guard lock(stateMutex_);
    ++generation_;  // events still queued for the GUI thread are dropped
    Terminate();
  }
  stateChanged_.notify_all();
  backend_->Wake();
  WaitFor();  // runs the worker's queued hand-overs while it waits
  if (open_.exchange(false)) {
    try {
      backend_->Close();
    } catch (const TArkException&) {
      // Nobody is left to tell.
    }
  }
}

bool TArkComPort::IsOpen() const {
  return open_;
}

void TArkComPort::Open() {
  if (open_) return;
  const uint64_t session = backend_->Open(portName_);
  try {
    backend_->Configure(settings_);
  } catch (...) {
    // A port that cannot be configured is not left open half-way.
    try {
      backend_->Close();
    } catch (const TArkException&) {
    }
    throw;
  }
  {
    std::lock_guard lock(stateMutex_);
    ++generation_;
    session_ = session;
    readFailed_ = false;
    remainderPending_ = false;
    writePending_ = false;
    open_ = true;
  }
  stateChanged_.notify_all();
}

void TArkComPort::Close() {
  if (!open_) return;
  {
    std::lock_guard lock(stateMutex_);
    open_ = false;
    ++generation_;
    writePending_ = false;
    remainderPending_ = false;
  }
  backend_->Close();  // wakes the worker out of its read first
}

bool TArkComPort::Send(const Octets& data) {
  if (data.empty() || !open_) return false;
  bool idle = false;
  // Marked before the write starts, so that a second sender is refused.
  if (!writePending_.compare_exchange_strong(idle, true)) return false;
  const uint64_t generation = generation_;
  if (FastExchange()) backend_->DiscardInput();
  const WriteResult result = backend_->WriteNow(data);
  if (result.status == WriteStatus::Done) {
    writePending_ = false;
    DeliverWrite(generation, data);
    return true;
  }
  if (result.status != WriteStatus::Partial) {
    writePending_ = false;
    return false;
  }
  {
    std::lock_guard lock(stateMutex_);
    remainderData_ = data;
    remainderWritten_ = result.written;
    remainderPending_ = true;
  }
  stateChanged_.notify_all();
  backend_->Wake();  // the worker leaves its read to finish the write
  return true;
}

void TArkComPort::SetAnswerComplete(AnswerCompleteTest test) {
  std::lock_guard lock(answerMutex_);
  answerComplete_ = std::move(test);
}

bool TArkComPort::FastExchange() const {
  std::lock_guard lock(answerMutex_);
  return static_cast<bool>(answerComplete_);
}

bool TArkComPort::AnswerIsComplete(const Octets& received) const {
  std::lock_guard lock(answerMutex_);
  return answerComplete_ && answerComplete_(received);
}

void TArkComPort::ApplySettings(const LineSettings& settings) {
  // On an open port the stored values change only when the device took them.
  if (open_) backend_->Configure(settings);
  settings_ = settings;
}

void TArkComPort::SetBaudRate(int value) {
  LineSettings settings = settings_;
  settings.baudRate = value;
  ApplySettings(settings);
}

void TArkComPort::SetByteSize(uint8_t value) {
  LineSettings settings = settings_;
  settings.byteSize = value;
  ApplySettings(settings);
}

void TArkComPort::SetParity(uint8_t value) {
  LineSettings settings = settings_;
  settings.parity = value;
  ApplySettings(settings);
}

void TArkComPort::SetStopBits(uint8_t value) {
  LineSettings settings = settings_;
  settings.stopBits = value;
  ApplySettings(settings);
}

void TArkComPort::SetRtsControl(RtsControl value) {
  LineSettings settings = settings_;
  settings.rtsControl = value;
  ApplySettings(settings);
}

void TArkComPort::SetPortNumber(int number) {
  if (!open_) {
    portNumber_ = number;
    return;
  }
  Close();
  portNumber_ = number;
  portName_ = ComPortName(number);
  Open();
}

void TArkComPort::SetPortName(const std::string& name) {
  portName_ = name;
  bool valid = false;
  try {
    const int number = ComPortNumber(name);
    if (number >= 0) {
      SetPortNumber(number);
      valid = true;
    }
  } catch (const std::exception&) {
    // A name that cannot be opened leaves the port without a number.
  }
  if (!valid) SetPortNumber(-1);
}

void TArkComPort::Execute() {
  for (;;) {
    const WorkerTask task = WaitForTask();
    switch (task.kind) {
      case WorkerTask::Kind::Stop:
        return;
      case WorkerTask::Kind::Read:
        ReadOnce();
        break;
      case WorkerTask::Kind::FinishWrite:
        FinishWrite(task);
        break;
    }
  }
}

TArkComPort::WorkerTask TArkComPort::WaitForTask() {
  std::unique_lock lock(stateMutex_);
  stateChanged_.wait(
      lock, [this] { return Terminated() || remainderPending_ || (open_ && !readFailed_); });
  WorkerTask task;
  if (Terminated()) return task;
  task.generation = generation_;
  task.session = session_;
  if (remainderPending_) {
    remainderPending_ = false;
    task.kind = WorkerTask::Kind::FinishWrite;
    task.data = remainderData_;
    task.written = remainderWritten_;
  } else {
    task.kind = WorkerTask::Kind::Read;
  }
  return task;
}

void TArkComPort::ReadOnce() {
  ReadResult result = backend_->Read(kReadBufferSize, kInterOctetGapMs, askAnswerComplete_);
  if (result.status == ReadStatus::Woken) return;
  uint64_t generation = 0;
  {
    // The read belongs to the port's present opening, or to none.
    std::lock_guard lock(stateMutex_);
    if (!open_ || result.session != session_) return;
    generation = generation_;
    if (result.status == ReadStatus::Failed) readFailed_ = true;
  }
  if (result.status == ReadStatus::Failed) {
    DeliverFailure(generation, std::string("Не удалось прочитать данные из порта\r\n ") +
                                   backend_->ReadCallName() +
                                   "(): " + SystemErrorText(result.error));
    return;
  }
  if (CheckLineErrors(generation, result.session)) return;
  Deliver(generation, [&] {
    if (OnRead) OnRead(this, result.data);
  });
}

// A read that saw a line error is dropped with what the driver still holds.
bool TArkComPort::CheckLineErrors(uint64_t generation, uint64_t session) {
  if (seenErrorsSession_ != session) {
    seenErrors_ = {};
    seenErrorsSession_ = session;
  }
  const LineErrorCounters now = backend_->ErrorCounters();
  uint32_t mask = 0;
  if (now.queueOverflow > seenErrors_.queueOverflow) mask |= CE_RXOVER;
  if (now.overrun > seenErrors_.overrun) mask |= CE_OVERRUN;
  if (now.parity > seenErrors_.parity) mask |= CE_RXPARITY;
  if (now.framing > seenErrors_.framing) mask |= CE_FRAME;
  if (now.breaks > seenErrors_.breaks) mask |= CE_BREAK;
  seenErrors_ = now;
  if (mask == 0) return false;
  const QueueLevels queues = backend_->Queues();
  const TComStat status{0, queues.input, queues.output};
  backend_->DiscardInput();
  Deliver(generation, [&] {
    if (OnError) OnError(this, mask, status);
  });
  return true;
}

void TArkComPort::FinishWrite(const WorkerTask& task) {
  const WriteResult result = backend_->WriteAll(task.data.substr(task.written), task.session);
  if (result.status == WriteStatus::Woken) {
    std::lock_guard lock(stateMutex_);
    if (task.generation == generation_ && open_ && !Terminated()) {
      remainderData_ = task.data;  // woken for another reason: go on later
      remainderWritten_ = task.written + result.written;
      remainderPending_ = true;
    }
    return;
  }
  MarkWriteDone(task.generation);
  if (result.status == WriteStatus::Done) {
    DeliverWrite(task.generation, task.data);
  } else {
    DeliverFailure(task.generation, std::string("Не удалось записать данные в порт\r\n ") +
                                        backend_->WriteCallName() +
                                        "(): " + SystemErrorText(result.error));
  }
}

void TArkComPort::MarkWriteDone(uint64_t generation) {
  std::lock_guard lock(stateMutex_);
  if (generation == generation_) writePending_ = false;
}

void TArkComPort::Deliver(uint64_t generation, const std::function<void()>& call) {
  Synchronize([&] {
    if (generation != generation_) return;
    try {
      call();
    } catch (const TArkException& e) {
      ReportException(e);
    } catch (const std::exception& e) {
      // Raised again in the worker it would end the program.
      ReportException(TArkException(e.what()));
    }
  });
}

void TArkComPort::DeliverWrite(uint64_t generation, const Octets& data) {
  Deliver(generation, [&] {
    if (OnWrite) OnWrite(this, data);
  });
}

void TArkComPort::DeliverFailure(uint64_t generation, const std::string& message) {
  Deliver(generation, [&] { ReportException(TArkException(message)); });
}

void TArkComPort::ReportException(const TArkException& e) {
  if (!OnException) return;
  try {
    OnException(this, e);
  } catch (...) {
    // An exception of the exception handler itself is dropped.
  }
}

}  // namespace vela
