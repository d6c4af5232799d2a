#pragma once
// One interface of the device on its pseudo-terminal: it feeds what arrives to
// the interface's protocol and sends the answers paced as a real line would
// carry them (turnaround, then octets x bits per character / speed), with the
// timing faults it was told to make.

#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "sim/DeviceModel.h"
#include "sim/FaultRotation.h"
#include "sim/Faults.h"
#include "sim/LineProtocol.h"
#include "sim/PtyLine.h"
#include "sim/SimTrace.h"

namespace vela {

struct InterfaceSetup {
  std::string name;     // COMn, for the trace
  bool service = true;  // service: MODBUS RTU, address 1; else the working link
  int serviceBaud = 38400;
  int64_t turnaroundUs = 2000;
  bool checkPeerFormat = true;
  bool unpaced = false;  // answers leave without their wire time (long runs)
  AnswerFaults answerFaults;
  TimingFaults timingFaults;
  RotatingFaults rotatingFaults;
  // Further devices on the working interface's line, each at its own address.
  std::vector<DeviceModel*> neighbours;
};

// The service interface's fixed settings: MODBUS RTU, address 1, 8E1.
LinkSettings ServiceLink(int baud);
// "38400 8E1".
std::string FormatText(const LineFormat& format);
// True when a program whose port is set to peer can talk to an interface set
// to own, as far as a pseudo-terminal can tell.
bool SameLineTiming(const LineFormat& peer, const LineFormat& own);
std::string TimingText(const LineFormat& format);

class SimInterface {
 public:
  SimInterface(const InterfaceSetup& setup, DeviceModel& device, PtyLine& line,
               const SimTrace& trace);

  void OnReadable(int64_t nowUs);
  // Answers complete requests and sends what is due.
  void OnTime(int64_t nowUs);
  int64_t NextDeadlineUs() const;
  // What the rotating faults made so far; empty without them.
  std::string FaultSummary() const;

 private:
  struct Chunk {
    int64_t dueUs;
    Octets octets;
  };
  LinkSettings CurrentLink() const;
  std::unique_ptr<LineProtocol> MakeProtocol(const LinkSettings& link);
  void FollowLink();
  void Schedule(Exchange exchange, int64_t nowUs);
  bool Skips(std::string& note);
  // Tells the protocol the content fault, if any, of the next answer.
  void PlanNextAnswer();
  int64_t WireTimeUs(size_t octets) const;
  // Applies the timing fault planned for the answer just counted.
  void ApplyRotatingFault(Exchange& exchange, int64_t& delayUs, bool& split);

  InterfaceSetup setup_;
  DeviceModel& device_;
  PtyLine& line_;
  const SimTrace& trace_;
  std::unique_ptr<LineProtocol> protocol_;
  LineFormat format_;
  uint32_t generation_ = 0;
  std::deque<Chunk> outgoing_;
  int64_t lineFreeUs_ = 0;  // when the last scheduled answer has left
  int64_t answered_ = 0;
  FaultRotation rotation_;
  int64_t plannedFor_ = 0;  // the answer number PlanNextAnswer last looked at
};

}  // namespace vela
