#pragma once
// The application side of the device's IEC 60870-5-101 interface: it carries
// out the commands that arrive as user data (general interrogation, clock
// synchronisation) and keeps what it has to send.
//
// Class 1 holds the answers to commands, in order: the activation
// confirmation, the interrogated values, the activation termination, the
// clock confirmation, or a negative mirror of a command it cannot carry out.
// Told to, the station puts them in class 2 instead, behind a cycle of
// periodic values, as stations that report cyclically do.
// Class 2 holds the measured values in the ASDU format of the link block: with
// cyclic transmission off they are there at every request (background scan,
// or spontaneous for the time-tagged format), or only in answer to a station
// interrogation when the station is told so; with it on, once per cycle
// interval in milliseconds (periodic), and "no data" in between. Told to, the
// station also sends events: one changed value at a time, spontaneous, in
// class 1. A class 2 request is served
// from class 1 first while class 1 holds anything, since the master may never
// ask for class 1 itself, unless the station is told to keep class 1 for
// class 1 requests.
//
// Reads the field lengths of its line and the IEC options of the link blocks
// at every call.

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

#include "common/ArkTypes.h"
#include "iec101/IecSettings.h"
#include "sim/DeviceModel.h"
#include "sim/Faults.h"
#include "sim/IecMeasuredAsdu.h"

namespace vela {

class IecStation {
 public:
  // lengths: the line's field lengths, kept up to date by the line.
  IecStation(DeviceModel& device, const AnswerFaults& faults, const TIecFieldLengths& lengths);

  // A command ASDU taken from user data; returns a note for the trace (empty
  // when the command is carried out).
  std::string Accept(const Octets& asdu);
  std::optional<Octets> TakeClass1();
  std::optional<Octets> TakeClass2(int64_t nowUs);
  bool HasClass1() const { return !class1_.empty(); }
  // Queues the events due by nowUs; called before every answer.
  void Tick(int64_t nowUs);
  // Reset of the user process: everything queued is dropped.
  void Clear();

 private:
  std::string AcceptInterrogation(const Octets& asdu);
  std::string AcceptClockSync(const Octets& asdu);
  // The command sent back with cause (and P/N), the originator address kept.
  void Mirror(const Octets& asdu, uint8_t cause, bool negative);
  void Mirror(const Octets& asdu, uint8_t cause, bool negative, std::deque<Octets>& queue);
  bool ForUs(uint32_t commonAddress) const;
  bool CycleDue(int64_t nowUs);
  // Where command answers go.
  std::deque<Octets>& CommandQueue() { return periodicFirst_ ? class2_ : class1_; }
  // Where the interrogated values go.
  std::deque<Octets>& InterrogationQueue() {
    return faults_.iecInterrogationClass == 2 ? class2_ : CommandQueue();
  }
  MeasuredAsduSetup Setup(uint8_t type, uint8_t cause) const;
  void QueueMeasured(uint8_t type, uint8_t cause, std::deque<Octets>& queue);

  DeviceModel& device_;
  const TIecFieldLengths& lengths_;
  const AnswerFaults faults_;
  uint8_t quality_;
  bool class1Only_;
  bool periodicFirst_;
  std::optional<int64_t> nextEventUs_;
  size_t nextEventObject_ = 0;
  std::deque<Octets> class1_;
  std::deque<Octets> class2_;  // the rest of a cycle cut into several ASDUs
  std::optional<int64_t> nextCycleUs_;
};

}  // namespace vela
