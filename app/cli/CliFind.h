#pragma once
// The search space of `find` and its order, and the time-out of one probe.
// Kept apart from the session that runs the probes so that both can be
// checked without a line.

#include <string>
#include <vector>

#include "app/cli/CliCommissionOptions.h"

namespace vela::cli {

// One way the program may talk to a device.
struct TLineSetting {
  int protocol = 0;  // 0 MODBUS RTU, 1 MODBUS ASCII
  int baud = 38400;
  int frame = 0;  // 0 even parity, 1 odd parity, 2 no parity with two stop bits
  bool operator==(const TLineSetting&) const = default;
};

struct TProbePoint {
  TLineSetting setting;
  int address = 1;
};

// The order in which real installations are found fast: the factory
// settings; every setting at address 1; the addresses installers use most
// (2 to 10, 247, the round tens, 11 to 32); then the rest. Within an
// address the factory protocol, speed and frame come first. deviceSpeeds:
// the speeds the device offers. Narrowed by the options.
std::vector<TProbePoint> SearchOrder(const TFindOptions& options,
                                     const std::vector<int>& deviceSpeeds);

// What one probe waits for: the request and the answer on the wire, the
// end-of-request silence the device waits for (3.5 characters), the
// device's own answer time (kDeviceAnswerMs), the silence after which the
// port hands the answer over (kPortGapMs) and a margin for a loaded computer.
// 20 ms for the device: it answers a read of its identification registers
// within a few milliseconds of the end-of-request silence; the rest covers a
// USB to RS-485 adapter, whose driver may hold received octets up to 16 ms
// (a common default latency timer) before the computer sees them. An
// answer that comes later is lost with the closed port: --probe-timeout
// gives a slower device or adapter more time.
inline constexpr int kDeviceAnswerMs = 20;
inline constexpr int kPortGapMs = 50;
inline constexpr int kSchedulingMarginMs = 15;
// portGap false: the port hands every answer over at once. The fast exchange
// does so only for a whole, valid one; a garbled answer still ends with the
// silence, so find keeps the gap to say that something answered.
int ProbeTimeoutMs(const TLineSetting& setting, int requestOctets, int answerOctets,
                   bool portGap = true);

// "MODBUS ASCII", "7E1"; protocolName and frameText come from the engine's link.
std::string FoundLine(const std::string& port, const std::string& protocolName, int baud,
                      const std::string& frameText, int address, unsigned serial);
// The velalink-cli command line that reads the device found.
std::string CommandLineFor(const std::string& port, bool rs485, const TLineSetting& setting,
                           const std::string& frameText, int address);

}  // namespace vela::cli
