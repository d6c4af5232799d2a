#pragma once
// The seam between the serial port object and the operating system: one
// device, opened and configured by the owner's thread, read by the port's
// worker thread. Production: TermiosBackend; tests may script it.

#include <cstdint>
#include <functional>
#include <string>

#include "common/ArkTypes.h"

namespace vela {

// How the RS-485 bus direction follows the program's writes (RTS high while
// sending): not at all, the kernel's RS-485 mode, RTS switched by the program
// around each write, or the kernel's mode where the driver has it, else RTS.
enum class RtsControl { Off, Auto, Kernel, Toggle };

// Line settings in the codes the program uses everywhere:
// parity 0 none, 1 odd, 2 even; stop bits 0 one, 1 one and a half, 2 two.
struct LineSettings {
  int baudRate = 38400;
  uint8_t byteSize = 8;
  uint8_t parity = 0;
  uint8_t stopBits = 0;
  RtsControl rtsControl = RtsControl::Off;
};

// Cumulative counts of line errors the driver has seen since the device was opened.
struct LineErrorCounters {
  uint32_t parity = 0;
  uint32_t framing = 0;
  uint32_t overrun = 0;        // the UART's receive register was overwritten
  uint32_t queueOverflow = 0;  // the driver's receive queue was full
  uint32_t breaks = 0;         // the line was held at space longer than a character
};

// Queue fill at the moment of a line error.
struct QueueLevels {
  uint32_t input = 0;
  uint32_t output = 0;
};

// Whether the octets gathered so far form one whole, valid answer, so that a
// read may end at once instead of after the silence that otherwise ends it.
// Asked by the worker thread; it must not call back into the port.
using AnswerCompleteTest = std::function<bool(const Octets& received)>;

enum class ReadStatus {
  Data,    // a read completed: data holds 1..maxOctets octets
  Woken,   // Wake was called, or the device is being closed
  Failed,  // the device failed; error holds the errno value
};

struct ReadResult {
  ReadStatus status = ReadStatus::Woken;
  Octets data;
  int error = 0;
  uint64_t session = 0;  // the Open the data came from
};

enum class WriteStatus {
  Done,     // every octet was handed to the driver
  Partial,  // WriteNow: the driver took `written` octets and has no room now
  Woken,    // Wake was called, or the device is being closed; `written` counts what went
  Failed,   // error holds the errno value
};

struct WriteResult {
  WriteStatus status = WriteStatus::Done;
  size_t written = 0;
  int error = 0;
};

class SerialBackend {
 public:
  virtual ~SerialBackend() = default;

  // Owner's thread. Open and Configure raise TArkException with the message the
  // operator sees; on a failure of Open the device is closed again. Open
  // returns a number that no earlier Open of this backend returned.
  virtual uint64_t Open(const std::string& portName) = 0;
  virtual void Configure(const LineSettings& settings) = 0;
  virtual bool IsOpen() const = 0;
  // Ends a Read or Write in progress in another thread, then closes. The device
  // is closed afterwards even when the system reports a failure, which is raised.
  virtual void Close() = 0;

  // Worker thread. Waits without limit for the first octet, then collects until
  // no octet arrives for gapMs, maxOctets are there, or complete (asked after
  // each arrival) says the octets are a whole answer. Octets collected before
  // a wake are kept and continue the next Read.
  virtual ReadResult Read(size_t maxOctets, int gapMs, const AnswerCompleteTest& complete) = 0;

  // Any thread; never waits: writes what the driver takes now.
  virtual WriteResult WriteNow(const Octets& data) = 0;
  // Worker thread: writes all of data to the device of that Open, waiting for
  // room; a wake, or another Open since, ends it with Woken.
  virtual WriteResult WriteAll(const Octets& data, uint64_t session) = 0;

  // Worker thread, after a completed Read. Counts since the last Open.
  virtual LineErrorCounters ErrorCounters() = 0;
  virtual QueueLevels Queues() = 0;
  // Any thread: drops what the driver holds in its receive queue, and any
  // octets a Read in progress has collected (it then waits for new ones).
  virtual void DiscardInput() = 0;

  // Any thread: makes a blocked Read or WriteAll return Woken.
  virtual void Wake() = 0;

  // Owner's thread, after Configure: the device node opened and how the bus
  // direction is driven, in the operator's words; empty when unknown.
  virtual std::string DevicePath() const { return {}; }
  virtual std::string DirectionControlText() const { return {}; }
  // The system calls a failed read or write is reported under.
  virtual const char* ReadCallName() const { return "read"; }
  virtual const char* WriteCallName() const { return "write"; }
};

}  // namespace vela
