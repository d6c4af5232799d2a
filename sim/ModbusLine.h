#pragma once
// MODBUS RTU and MODBUS ASCII framing on the device side. Both hand the body of
// a request to the ModbusSlave and wrap its answer; they differ in how a frame
// is delimited and checked.

#include <optional>

#include "sim/LineProtocol.h"
#include "sim/ModbusSlave.h"

namespace vela {

class ModbusLine : public LineProtocol {
 public:
  ModbusLine(DeviceModel& device, uint8_t address, const AnswerFaults& faults);
  void FaultNextAnswer(std::optional<LineFault> fault) override { nextFault_ = fault; }

 protected:
  // Checks a whole frame and answers it; a frame that fails is noted and
  // left unanswered.
  Exchange Process(const Octets& frame);
  // The body of a checked frame, or nothing with a reason in note.
  virtual std::optional<Octets> Unwrap(const Octets& frame, std::string& note) const = 0;
  virtual Octets Wrap(const Octets& body, bool badChecksum) const = 0;

 private:
  ModbusSlave slave_;
  AnswerFaults faults_;
  std::optional<LineFault> nextFault_;
};

class ModbusRtuLine : public ModbusLine {
 public:
  ModbusRtuLine(DeviceModel& device, uint8_t address, const LineFormat& format,
                const AnswerFaults& faults);
  void Receive(const Octets& octets, int64_t nowUs) override;
  std::optional<Exchange> Poll(int64_t nowUs) override;
  int64_t NextDeadlineUs() const override;

  // The length a request frame must have, judged from its first octets;
  // nothing while that is not yet known or the function is not one of ours.
  static std::optional<size_t> ExpectedRequestLength(const Octets& buffer);
  static Octets WrapRtu(const Octets& body, bool badChecksum = false);

 protected:
  std::optional<Octets> Unwrap(const Octets& frame, std::string& note) const override;
  Octets Wrap(const Octets& body, bool badChecksum) const override;

 private:
  int64_t gapUs_;  // silence that ends a frame
  Octets buffer_;
  int64_t lastUs_ = 0;
};

class ModbusAsciiLine : public ModbusLine {
 public:
  ModbusAsciiLine(DeviceModel& device, uint8_t address, const AnswerFaults& faults);
  void Receive(const Octets& octets, int64_t nowUs) override;
  std::optional<Exchange> Poll(int64_t nowUs) override;
  int64_t NextDeadlineUs() const override;

  static Octets WrapAscii(const Octets& body, bool badChecksum = false);

 protected:
  std::optional<Octets> Unwrap(const Octets& frame, std::string& note) const override;
  Octets Wrap(const Octets& body, bool badChecksum) const override;

 private:
  Octets buffer_;
  int64_t lastUs_ = 0;
};

}  // namespace vela
