#pragma once
// The serial port: one device line, opened, configured and written by its
// owner; a worker thread keeps one read outstanding while the port is open and
// hands every event to the GUI thread, waiting until it has run there.
//
// A read completes after 50 ms of silence on the line or with 1024 octets.
// Line errors (parity 4, framing 8, overrun 2, receive queue overflow 1,
// break 16) come
// as one OnError; the receive queue is then discarded and reading goes on.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "common/ArkThread.h"
#include "common/ArkTypes.h"
#include "serial/SerialBackend.h"

namespace vela {

// Line status handed with a line error.
struct TComStat {
  uint32_t Flags = 0;
  uint32_t cbInQue = 0;
  uint32_t cbOutQue = 0;
};
static_assert(sizeof(TComStat) == 12);

// Error mask bits of OnError.
inline constexpr uint32_t CE_RXOVER = 0x0001;
inline constexpr uint32_t CE_OVERRUN = 0x0002;
inline constexpr uint32_t CE_RXPARITY = 0x0004;
inline constexpr uint32_t CE_FRAME = 0x0008;
inline constexpr uint32_t CE_BREAK = 0x0010;

class TArkComPort : public TArkThread {
 public:
  static constexpr size_t kReadBufferSize = 1024;
  static constexpr int kInterOctetGapMs = 50;

  explicit TArkComPort(const std::string& portName);
  TArkComPort(const std::string& portName, std::unique_ptr<SerialBackend> backend);
  ~TArkComPort() override;

  bool IsOpen() const;
  void Open();
  void Close();
  // False, without sending, when the port is closed, data is empty or a write
  // is still pending. Any thread.
  bool Send(const Octets& data);
  // Fast exchange: while a test is set, the octets gathered so far are
  // delivered as soon as it accepts them; what it refuses still ends with the
  // silence, and Send drops what the line still holds before each request (a
  // late tail would otherwise start the next answer). Empty, as after
  // construction: silence only. Any thread; the test
  // runs in the worker thread, so it must own everything it looks at.
  void SetAnswerComplete(AnswerCompleteTest test);
  bool FastExchange() const;
  // Whether the test now set accepts received; false without one.
  bool AnswerIsComplete(const Octets& received) const;

  void SetBaudRate(int value);
  void SetByteSize(uint8_t value);
  void SetParity(uint8_t value);
  void SetStopBits(uint8_t value);
  void SetPortNumber(int number);
  void SetPortName(const std::string& name);
  // How the RS-485 direction follows the writes; applied like the other settings.
  void SetRtsControl(RtsControl value);

  int PortNumber() const { return portNumber_; }
  std::string PortName() const { return portName_; }
  int BaudRate() const { return settings_.baudRate; }
  uint8_t ByteSize() const { return settings_.byteSize; }
  uint8_t Parity() const { return settings_.parity; }
  uint8_t StopBits() const { return settings_.stopBits; }
  RtsControl GetRtsControl() const { return settings_.rtsControl; }
  // While open: the device node behind the name and the direction control in use.
  std::string DevicePath() const { return backend_->DevicePath(); }
  std::string DirectionControlText() const { return backend_->DirectionControlText(); }

  std::function<void(TArkComPort*sender, const Octets&data)> OnWrite, OnRead;
  std::function<void(TArkComPort* sender, uint32_t errors, const TComStat& status)> OnError;
  std::function<void(TArkComPort* sender, const TArkException& e)> OnException;

 protected:
  void Execute() override;

 private:
  struct WorkerTask;

  void ApplySettings(const LineSettings& settings);
  WorkerTask WaitForTask();
  void ReadOnce();
  void FinishWrite(const WorkerTask& task);
  bool CheckLineErrors(uint64_t generation, uint64_t session);
  void MarkWriteDone(uint64_t generation);

  // Runs call on the GUI thread unless the port was closed or re-opened since
  // generation; routes the handler's exceptions to OnException.
  void Deliver(uint64_t generation, const std::function<void()>& call);
  void DeliverWrite(uint64_t generation, const Octets& data);
  void DeliverFailure(uint64_t generation, const std::string& message);
  void ReportException(const TArkException& e);

  std::unique_ptr<SerialBackend> backend_;
  std::string portName_;
  int portNumber_ = -1;
  LineSettings settings_;  // 38400 baud, 8 data bits, no parity, one stop bit

  // Shared with the worker thread; the fields without atomic live under stateMutex_.
  std::mutex stateMutex_;
  std::condition_variable stateChanged_;
  std::atomic<bool> open_{false};
  std::atomic<uint64_t> generation_{0};  // changes with every Open, Close and the teardown
  uint64_t session_ = 0;                 // the backend's number of the current Open
  bool readFailed_ = false;              // reading stopped until the next Open
  std::atomic<bool> writePending_{false};
  Octets remainderData_;  // a write the driver did not take at once
  size_t remainderWritten_ = 0;
  bool remainderPending_ = false;

  mutable std::mutex answerMutex_;
  AnswerCompleteTest answerComplete_;  // under answerMutex_
  const AnswerCompleteTest askAnswerComplete_ = [this](const Octets& received) {
    return AnswerIsComplete(received);
  };

  // Worker thread only.
  LineErrorCounters seenErrors_;
  uint64_t seenErrorsSession_ = 0;
};

}  // namespace vela
