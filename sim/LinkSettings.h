#pragma once
// Settings of one serial interface of the device: protocol, address, speed and
// character frame, and the line timing that follows from them.

#include <cstdint>

namespace vela {

enum class LinkProtocol : uint8_t { ModbusRtu = 0, ModbusAscii = 1, Iec101 = 2 };

// The character frame as the device numbers it: 0 even parity + 1 stop bit,
// 1 odd parity + 1 stop bit, 2 no parity + 2 stop bits.
enum class Parity : char { None = 'N', Even = 'E', Odd = 'O' };

struct LineFormat {
  int baud = 38400;
  int dataBits = 8;
  Parity parity = Parity::Even;
  int stopBits = 1;

  // Start bit + data bits + parity bit + stop bits.
  int BitsPerCharacter() const;
  // Microseconds that count characters take on the line.
  int64_t WireTimeUs(int64_t count) const;
  bool operator==(const LineFormat&) const = default;
};

struct LinkSettings {
  LinkProtocol protocol = LinkProtocol::ModbusRtu;
  uint8_t address = 1;
  int speedIndex = 2;  // 38400
  int frameIndex = 0;  // even parity, one stop bit

  LineFormat Format() const;
  bool operator==(const LinkSettings&) const = default;
};

constexpr int kSpeedCount = 7;
// Baud rate of a speed index 0..6 (9600 .. 230400); 0 for any other index.
int SpeedOfIndex(int index);
// Speed index of a baud rate; -1 when the device has no such speed.
int IndexOfSpeed(int baud);
// The name the program shows for a protocol.
const char* ProtocolName(LinkProtocol protocol);

}  // namespace vela
