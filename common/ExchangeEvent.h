#pragma once
// One event of the exchange on the line, as the engine reports it to its
// counters and to the front ends: the Modbus sequencer and the IEC link
// master both speak in these, so every figure is counted from events and
// never from trace text.

#include <cstddef>
#include <cstdint>

namespace vela {

enum class TExchangeEventKind : uint8_t {
  RequestSent,       // a request went to the line (a repeat included)
  Answer,            // octets came back; the first after a request is its answer
  TimedOut,          // the response time-out passed
  BadFrame,          // octets of no use: wrong length, checksum, address or kind
  ExceptionAnswer,   // the device refused: a Modbus exception, an IEC NACK or 14/15
  ReadingCompleted,  // a reading with measured values came to its end (one record)
  CycleStarted,      // a further cycle of continuous reading began (never on a repeat)
  LineError,         // parity, framing or overrun errors on the line
};

struct TExchangeEvent {
  TExchangeEventKind kind = TExchangeEventKind::RequestSent;
  int64_t atMs = 0;       // monotonic milliseconds
  size_t octets = 0;      // RequestSent, Answer: how many octets went or came
  int exceptionCode = 0;  // ExceptionAnswer: the Modbus exception code, 0 otherwise
  bool repeat = false;    // RequestSent: the same request again after no usable answer
};

}  // namespace vela
