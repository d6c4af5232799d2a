#pragma once
// The program's side of an end-to-end exchange: the real serial port and the
// Modbus codec against velasim over a pseudo-terminal, events served by the
// headless loop in real time.

#include <optional>
#include <string>
#include <vector>

#include "common/ArkTypes.h"
#include "common/HeadlessEventLoop.h"
#include "modbus/ModbusExceptions.h"
#include "modbus/ModbusPacker.h"
#include "serial/ArkComPort.h"

namespace vela::test {

constexpr uint8_t kNoParity = 0, kOddParity = 1, kEvenParity = 2;
constexpr uint8_t kOneStopBit = 0, kTwoStopBits = 2;

struct MasterLine {
  int baud = 38400;
  uint8_t byteSize = 8;
  uint8_t parity = kEvenParity;
  uint8_t stopBits = kOneStopBit;
  bool rtu = true;
  uint8_t address = 1;
};

class SimMaster {
 public:
  SimMaster(const std::string& portName, const MasterLine& line)
      : loop_(SystemClock::Instance()), port_(portName), packer_(line.address) {
    port_.OnRead = [this](TArkComPort*, const Octets& data) { reads_.push_back(data); };
    port_.OnException = [this](TArkComPort*, const TArkException& e) {
      failures_.push_back(e.Message());
    };
    Configure(line);
    port_.Open();
  }

  void Configure(const MasterLine& line) {
    port_.SetBaudRate(line.baud);
    port_.SetByteSize(line.byteSize);
    port_.SetParity(line.parity);
    port_.SetStopBits(line.stopBits);
    packer_.RtuMode = line.rtu;
    packer_.Address = line.address;
  }

  // Sends the request and serves events until `count` reads arrived or
  // waitMs passed; returns the reads.
  std::vector<Octets> Ask(const Octets& request, size_t count = 1, int waitMs = 3000) {
    reads_.clear();
    if (!port_.Send(request)) return {};
    return WaitForReads(count, waitMs);
  }

  // Serves events until `count` reads arrived since the last request.
  std::vector<Octets> WaitForReads(size_t count, int waitMs) {
    loop_.RunUntil([&] { return reads_.size() >= count; }, waitMs);
    return reads_;
  }

  // The single answer to a request; empty when none came.
  Octets Answer(const Octets& request) {
    const std::vector<Octets> reads = Ask(request);
    return reads.empty() ? Octets() : reads.front();
  }

  TModbusPacker& Packer() { return packer_; }
  const std::vector<std::string>& Failures() const { return failures_; }

 private:
  HeadlessEventLoop loop_;
  TArkComPort port_;
  TModbusPacker packer_;
  std::vector<Octets> reads_;
  std::vector<std::string> failures_;
};

// How a parse ended: "" when it passed, else the class and the message.
template <typename Parse>
std::string Outcome(Parse parse) {
  try {
    parse();
    return "";
  } catch (const TModbusLinkException& e) {
    return std::string("link: ") + e.what();
  } catch (const TModbusLogicException& e) {
    return "logic " + std::to_string(e.Code) + ": " + e.what();
  }
}

}  // namespace vela::test
