#pragma once
// Drives the RS-485 bus direction for converters that switch it on RTS: the
// kernel's RS-485 mode where the driver has it, else RTS raised by the
// program before a write and dropped once the octets have left the
// transmitter. The port's own RS-485 setting is put back on Close.

#include <atomic>
#include <optional>
#include <string>

#include "serial/SerialBackend.h"

namespace vela {

// The device calls the direction control needs; false on failure.
class DirectionLines {
 public:
  virtual ~DirectionLines() = default;
  // The kernel's RS-485 flags (SER_RS485_*); nullopt when the driver has none.
  virtual std::optional<unsigned> Rs485Flags() = 0;
  virtual bool SetRs485Flags(unsigned flags) = 0;
  virtual bool SetRts(bool high) = 0;
  // Waits until every octet written has left the transmitter.
  virtual bool Drain() = 0;
};

class Rs485Direction {
 public:
  enum class Mode { None, Kernel, Toggle };

  // Chooses and sets up the mode; raises TArkException (Russian) when the
  // mode asked for cannot be had. Call again for every Configure.
  void Apply(DirectionLines& lines, RtsControl requested);
  // Puts back the RS-485 setting the port had before Apply changed it.
  void Restore(DirectionLines& lines);

  Mode Current() const { return mode_; }
  // Around each write in Toggle mode: RTS high before, drain and RTS low after.
  void BeforeWrite(DirectionLines& lines) const;
  void AfterWrite(DirectionLines& lines) const;

  // "RS-485: направление по RTS ..." for the trace.
  std::string Text() const;

 private:
  bool EnableKernelMode(DirectionLines& lines);

  std::atomic<Mode> mode_{Mode::None};  // read by the writing threads
  RtsControl requested_ = RtsControl::Off;
  std::optional<unsigned> savedFlags_;  // the port's setting before we changed it
};

}  // namespace vela
