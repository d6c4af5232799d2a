#pragma once
// A serial line with simulated devices on its other end, in this process.
// What the program writes goes at once to the devices' line protocol; each
// answer can be read once the clock has passed its turnaround and its time on
// the wire. As on a real line, the devices hear nothing when the port's speed
// or stop bits differ from their interface's. The line outlives the ports
// opened on it: Backend() gives each port its own handle.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "common/Clock.h"
#include "serial/SerialBackend.h"
#include "sim/DeviceModel.h"
#include "sim/LineProtocol.h"

namespace vela::test {

// What becomes of one request on the line.
enum class TRequestFate {
  Carried,     // heard and answered
  AnswerLost,  // heard and carried out, its answer lost on the way back
  Lost,        // never reaches the devices
};

class TSimLine {
 public:
  // No devices: a silent line. service: the devices' service interface
  // (MODBUS RTU, address 1, 8E1 at 38400); else their working interface, as
  // their link blocks set it.
  TSimLine(std::vector<DeviceModel*> devices, bool service, const Clock& clock);

  std::unique_ptr<SerialBackend> Backend();

  // No answer is due and not yet taken by the program, and the last one taken
  // has been handed over: the clock may move on.
  bool Quiet() const;
  // The clock moved: an answer may now be due.
  void TimeMoved();

  // The fate of request k (counted from 1 over the line's life); empty: all carried.
  // Called on the program's thread as the request is written.
  std::function<TRequestFate(int k)> fate;
  int Requests() const;

 private:
  class TPortEnd;
  struct TAnswer {
    Octets octets;
    int64_t dueMs;
  };

  uint64_t Open();
  void Configure(const LineSettings& settings);
  bool IsOpen() const;
  void Close();
  ReadResult Read(size_t maxOctets);
  WriteResult Write(const Octets& data, const uint64_t* session);
  void DiscardInput();
  void Wake();

  LinkSettings Link() const;
  void FollowLink();
  bool HearsThePort() const;
  void Hear(const Octets& request);
  bool AnswerDue() const;

  std::vector<DeviceModel*> devices_;
  bool service_;
  const Clock& clock_;
  std::unique_ptr<LineProtocol> protocol_;
  uint32_t linkGeneration_ = 0;
  int64_t lineUs_ = 0;  // the devices' time: each write comes after a long silence

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<TAnswer> answers_;
  LineSettings port_;
  bool open_ = false;
  bool woken_ = false;
  bool delivering_ = false;  // a read returned and is being handed over
  uint64_t session_ = 0;
  int requests_ = 0;
};

}  // namespace vela::test
