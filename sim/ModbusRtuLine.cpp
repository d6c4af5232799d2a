#include <algorithm>

#include "common/Checksums.h"
#include "sim/ModbusLine.h"

namespace vela {
namespace {
constexpr int64_t kMinGapUs = 3000;  // a pty delivers in bursts; never cut a frame early
constexpr size_t kReadFrameLength = 8;
constexpr size_t kWriteFrameOverhead = 9;  // address .. byte count, CRC
constexpr size_t kMinFrameLength = 4;      // address, function, CRC
constexpr size_t kMaxFrameLength = 256;

uint16_t CrcOf(const Octets& octets, size_t count) {
  return Crc16Modbus(octets.data(), static_cast<int>(count));
}
}  // namespace

ModbusRtuLine::ModbusRtuLine(DeviceModel& device, uint8_t address, const LineFormat& format,
                             const AnswerFaults& faults)
    : ModbusLine(device, address, faults),
      gapUs_(std::max<int64_t>(kMinGapUs, format.WireTimeUs(7) / 2)) {}

std::optional<size_t> ModbusRtuLine::ExpectedRequestLength(const Octets& buffer) {
  if (buffer.size() < 2) return std::nullopt;
  switch (static_cast<uint8_t>(buffer[1])) {
    case 3:
    case 4:
      return kReadFrameLength;
    case 16:
      if (buffer.size() < 7) return std::nullopt;
      return kWriteFrameOverhead + static_cast<uint8_t>(buffer[6]);
    default:
      return std::nullopt;
  }
}

Octets ModbusRtuLine::WrapRtu(const Octets& body, bool badChecksum) {
  uint16_t crc = CrcOf(body, body.size());
  if (badChecksum) crc ^= 0x5A5A;
  Octets frame = body;
  frame += static_cast<char>(crc & 0xFF);
  frame += static_cast<char>(crc >> 8);
  return frame;
}

Octets ModbusRtuLine::Wrap(const Octets& body, bool badChecksum) const {
  return WrapRtu(body, badChecksum);
}

std::optional<Octets> ModbusRtuLine::Unwrap(const Octets& frame, std::string& note) const {
  if (frame.size() < kMinFrameLength) {
    note = "обрывок кадра";
    return std::nullopt;
  }
  const size_t bodyLength = frame.size() - 2;
  const uint16_t received = static_cast<uint16_t>(static_cast<uint8_t>(frame[bodyLength]) |
                                                  static_cast<uint8_t>(frame[bodyLength + 1]) << 8);
  if (CrcOf(frame, bodyLength) != received) {
    note = "неверная контрольная сумма";
    return std::nullopt;
  }
  return frame.substr(0, bodyLength);
}

void ModbusRtuLine::Receive(const Octets& octets, int64_t nowUs) {
  if (octets.empty()) return;
  buffer_ += octets;
  lastUs_ = nowUs;
}

std::optional<Exchange> ModbusRtuLine::Poll(int64_t nowUs) {
  if (buffer_.empty()) return std::nullopt;
  if (buffer_.size() > kMaxFrameLength) {
    Exchange dropped{std::move(buffer_), std::nullopt, "кадр длиннее 256 октетов", {}};
    buffer_.clear();
    return dropped;
  }
  // A request of a known function is answered as soon as it is whole and
  // checks, without waiting for the gap that ends it.
  const std::optional<size_t> expected = ExpectedRequestLength(buffer_);
  const bool whole = expected && buffer_.size() == *expected &&
                     CrcOf(buffer_, *expected - 2) ==
                         static_cast<uint16_t>(static_cast<uint8_t>(buffer_[*expected - 2]) |
                                               static_cast<uint8_t>(buffer_[*expected - 1]) << 8);
  if (!whole && nowUs - lastUs_ < gapUs_) return std::nullopt;
  Octets frame;
  frame.swap(buffer_);
  return Process(frame);
}

int64_t ModbusRtuLine::NextDeadlineUs() const {
  return buffer_.empty() ? kNever : lastUs_ + gapUs_;
}

}  // namespace vela
