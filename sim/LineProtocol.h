#pragma once
// The protocol spoken on one interface of the device: it cuts the octets that
// arrive from the line into requests and answers them. The working interface
// picks its protocol from the link block; the service interface always speaks
// MODBUS RTU at address 1. Adding a protocol means adding a LineProtocol and a
// case to MakeLineProtocol.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "common/ArkTypes.h"
#include "sim/DeviceModel.h"
#include "sim/Faults.h"
#include "sim/LinkSettings.h"

namespace vela {

constexpr int64_t kNever = INT64_MAX;

// One request taken from the line and what the device does about it.
struct Exchange {
  Octets request;
  std::optional<Octets> answer;    // the frame to send; none = silence
  std::string note;                // why the device stays silent, for the trace
  std::optional<LineFault> fault;  // the fault FaultNextAnswer asked for, once made
};

class LineProtocol {
 public:
  virtual ~LineProtocol() = default;
  // Octets that arrived from the line at nowUs (monotonic microseconds).
  virtual void Receive(const Octets& octets, int64_t nowUs) = 0;
  // The next request that is complete at nowUs, with its answer.
  virtual std::optional<Exchange> Poll(int64_t nowUs) = 0;
  // When Poll must run again even if nothing arrives (frame gap, time-out).
  virtual int64_t NextDeadlineUs() const = 0;
  // The next answer that can carry it gets this fault (bad checksum, wrong
  // address or busy) and says so in Exchange::fault; a later call replaces
  // a fault not yet made, none withdraws it.
  virtual void FaultNextAnswer(std::optional<LineFault> fault) = 0;
};

std::unique_ptr<LineProtocol> MakeLineProtocol(const LinkSettings& link, DeviceModel& device,
                                               const AnswerFaults& faults);

}  // namespace vela
