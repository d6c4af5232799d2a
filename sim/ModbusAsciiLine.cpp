#include <cctype>

#include "common/ArkCmnUtils.h"
#include "common/Checksums.h"
#include "modbus/ModbusPacker.h"
#include "sim/ModbusLine.h"

namespace vela {
namespace {
constexpr int64_t kCharacterTimeoutUs = 1000000;  // an unfinished frame is dropped
constexpr size_t kMinBodyLength = 2;              // address, function
constexpr size_t kMaxFrameLength = 513;           // ":", 2 x 255 digits, CR LF

bool AllHexDigits(const std::string& text) {
  for (char c : text) {
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}
}  // namespace

ModbusAsciiLine::ModbusAsciiLine(DeviceModel& device, uint8_t address, const AnswerFaults& faults)
    : ModbusLine(device, address, faults) {}

Octets ModbusAsciiLine::WrapAscii(const Octets& body, bool badChecksum) {
  uint8_t lrc = Lrc(body.data(), static_cast<int>(body.size()));
  if (badChecksum) lrc ^= 0x5A;
  return AsciiFrameOfChecked(body + static_cast<char>(lrc));
}

Octets ModbusAsciiLine::Wrap(const Octets& body, bool badChecksum) const {
  return WrapAscii(body, badChecksum);
}

std::optional<Octets> ModbusAsciiLine::Unwrap(const Octets& frame, std::string& note) const {
  // frame runs from ":" to LF.
  if (frame.size() < 3 || frame[frame.size() - 2] != '\r') {
    note = "кадр без CR LF";
    return std::nullopt;
  }
  const std::string digits = frame.substr(1, frame.size() - 3);
  if (digits.size() % 2 != 0 || !AllHexDigits(digits) || digits.size() < 2 * (kMinBodyLength + 1)) {
    note = "нарушен формат кадра";
    return std::nullopt;
  }
  const Octets octets = HexToBytes(digits);
  const size_t bodyLength = octets.size() - 1;
  if (Lrc(octets.data(), static_cast<int>(bodyLength)) != static_cast<uint8_t>(octets.back())) {
    note = "неверная контрольная сумма";
    return std::nullopt;
  }
  return octets.substr(0, bodyLength);
}

void ModbusAsciiLine::Receive(const Octets& octets, int64_t nowUs) {
  if (octets.empty()) return;
  buffer_ += octets;
  lastUs_ = nowUs;
}

std::optional<Exchange> ModbusAsciiLine::Poll(int64_t nowUs) {
  if (buffer_.empty()) return std::nullopt;
  const size_t end = buffer_.find('\n');
  if (end == Octets::npos) {
    const bool tooLong = buffer_.size() > kMaxFrameLength;
    if (!tooLong && nowUs - lastUs_ < kCharacterTimeoutUs) return std::nullopt;
    Exchange dropped{
        buffer_, std::nullopt, tooLong ? "кадр слишком длинный" : "кадр не завершён", {}};
    buffer_.clear();
    return dropped;
  }
  const Octets segment = buffer_.substr(0, end + 1);
  buffer_.erase(0, end + 1);
  // A colon starts a new frame and drops whatever came before it.
  const size_t start = segment.rfind(':');
  if (start == Octets::npos) return Exchange{segment, std::nullopt, "кадр без двоеточия", {}};
  return Process(segment.substr(start));
}

int64_t ModbusAsciiLine::NextDeadlineUs() const {
  if (buffer_.empty()) return kNever;
  // A finished frame still waiting is due at once.
  return buffer_.find('\n') != Octets::npos ? lastUs_ : lastUs_ + kCharacterTimeoutUs;
}

}  // namespace vela
