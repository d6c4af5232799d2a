#pragma once
// Looking for Vela devices on a line: the search space and its order, the
// time-out of one probe, and the search itself, which sends the
// identification read at every point in turn through the engine's own probe
// operation. The command line's `find` and the window's "найти прибор…" run
// the same search; each shows its findings and progress in its own way.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace vela {

class TVelaEngine;
struct TExchangeEvent;

struct TFindOptions {
  std::vector<int> protocols;  // 0 MODBUS RTU, 1 MODBUS ASCII; empty: both
  std::vector<int> speeds;     // baud rates; empty: every speed of the device
  std::vector<int> addresses;  // empty: 1..247
  bool all = false;            // go on after the first device found
  int probeTimeoutMs = 0;      // 0: worked out for each line setting
};

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

inline constexpr int kFactoryBaud = 38400;

// The order in which real installations are found fast: the factory
// settings; every setting at address 1; the addresses installers use most
// (2 to 10, 247, the round tens, 11 to 32); then the rest. Within an
// address the factory protocol, speed and frame come first. deviceSpeeds:
// the speeds the device offers. Narrowed by the options.
std::vector<TProbePoint> SearchOrder(const TFindOptions& options,
                                     const std::vector<int>& deviceSpeeds);
// The order for the link as the program has it: every point over RS-485,
// the factory point alone over the service interface (USB), which always
// talks with the factory settings.
std::vector<TProbePoint> SearchOrderFor(bool rs485, const TFindOptions& options);

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
// silence, so the search keeps the gap to say that something answered.
int ProbeTimeoutMs(const TLineSetting& setting, int requestOctets, int answerOctets,
                   bool portGap = true);

// "MODBUS ASCII", "7E1"; protocolName and frameText come from the engine's link.
std::string FoundLine(const std::string& port, const std::string& protocolName, int baud,
                      const std::string& frameText, int address, unsigned serial);

enum class TFindingKind {
  Vela,              // a Vela device answered with its identification
  OtherDevice,       // something else answered with an identification
  NoIdentification,  // an answer came, but no identification
  SpeedSkipped,      // the port does not take this speed; its points are passed over
};

struct TSearchFinding {
  TFindingKind kind = TFindingKind::Vela;
  TProbePoint point;
  std::string protocolText;  // "MODBUS RTU"
  std::string frameText;     // "8E1"
  uint32_t serial = 0;
  std::string detail;  // OtherDevice: what answers; SpeedSkipped: the port's reason
};

enum class TSearchEnd {
  Completed,   // every point probed, or the first device found without `all`
  Stopped,     // the stop hook said so
  PortFailed,  // the port did not open for the first point
};

// What the search needs from the program it runs in.
struct TSearchHooks {
  // Runs the program's events until done() holds or ms pass.
  std::function<void(const std::function<bool()>& done, int ms)> runUntil;
  // Runs the events already waiting, without waiting for more.
  std::function<void()> settle;
  // True once the search is to end (Cancel, a signal, a time bound).
  std::function<bool()> stop;
};

class TDeviceSearch {
 public:
  TDeviceSearch(TVelaEngine& engine, std::vector<TProbePoint> order, bool rs485,
                const TFindOptions& options, TSearchHooks hooks);
  ~TDeviceSearch();
  TDeviceSearch(const TDeviceSearch&) = delete;
  TDeviceSearch& operator=(const TDeviceSearch&) = delete;

  TSearchEnd Run();

  std::function<void(const TSearchFinding&)> OnFinding;
  // After every point: points done, all points, Vela devices found.
  std::function<void(size_t done, size_t total, int found)> OnProgress;

  size_t Done() const { return done_; }
  size_t Total() const { return order_.size(); }
  int Found() const { return found_; }
  // PortFailed: why the port did not open.
  const std::string& PortFailure() const { return portFailure_; }

 private:
  // One probe at the link already set; false when the port did not open.
  bool Probe(int timeoutMs, bool& answered);
  void Report(const TSearchFinding& finding) const {
    if (OnFinding) OnFinding(finding);
  }

  TVelaEngine& engine_;
  std::vector<TProbePoint> order_;
  bool rs485_;
  TFindOptions options_;
  TSearchHooks hooks_;
  std::function<void(const TExchangeEvent&)> previousExchange_;
  int64_t answersSeen_ = 0;
  size_t done_ = 0;
  int found_ = 0;
  std::string portFailure_;
};

}  // namespace vela
