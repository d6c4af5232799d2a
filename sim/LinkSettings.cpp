#include "sim/LinkSettings.h"

namespace vela {
namespace {
constexpr int kSpeeds[kSpeedCount] = {9600, 19200, 38400, 57600, 76800, 115200, 230400};
}

int LineFormat::BitsPerCharacter() const {
  return 1 + dataBits + (parity == Parity::None ? 0 : 1) + stopBits;
}

int64_t LineFormat::WireTimeUs(int64_t count) const {
  if (baud <= 0) return 0;
  return count * BitsPerCharacter() * 1000000 / baud;
}

LineFormat LinkSettings::Format() const {
  LineFormat format;
  format.baud = SpeedOfIndex(speedIndex);
  format.dataBits = protocol == LinkProtocol::ModbusAscii ? 7 : 8;
  format.parity = frameIndex == 1 ? Parity::Odd : frameIndex == 2 ? Parity::None : Parity::Even;
  format.stopBits = frameIndex == 2 ? 2 : 1;
  return format;
}

int SpeedOfIndex(int index) {
  return index >= 0 && index < kSpeedCount ? kSpeeds[index] : 0;
}

int IndexOfSpeed(int baud) {
  for (int i = 0; i < kSpeedCount; ++i) {
    if (kSpeeds[i] == baud) return i;
  }
  return -1;
}

const char* ProtocolName(LinkProtocol protocol) {
  switch (protocol) {
    case LinkProtocol::ModbusRtu:
      return "MODBUS RTU";
    case LinkProtocol::ModbusAscii:
      return "MODBUS ASCII";
    case LinkProtocol::Iec101:
      return "IEC 60870-5-101";
  }
  return "?";
}

}  // namespace vela
