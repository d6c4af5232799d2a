#pragma once
// What a device says over IEC 60870-5-101 in the main-window tests: secondary
// FT 1.2 frames and the ASDUs inside them.

#include <vector>

#include "iec101/IecAsdu.h"
#include "iec101/IecPacket.h"
#include "iec101/IecSettings.h"

namespace vela::test::iec {

// The field lengths the program starts with: those of these frames.
inline const TIecFieldLengths kStartLengths;

inline Octets Fixed(uint8_t function, bool acd = false, bool dfc = false) {
  return TArkOutPacket::Secondary(kStartLengths, function, 1, acd, dfc).Frame();
}

inline Octets Data(const Octets& asdu, bool acd = false) {
  return TArkOutPacket::Secondary(kStartLengths, fc::kUserData, 1, acd, false, asdu).Frame();
}

struct TValue {
  uint32_t address;
  float value;
  uint8_t qds = 0;
};

// Values at the addresses first..last, each the address times 10.
inline std::vector<TValue> Values(uint32_t first = 1, uint32_t last = 28) {
  std::vector<TValue> values;
  for (uint32_t a = first; a <= last; ++a) values.push_back({a, static_cast<float>(a * 10)});
  return values;
}

// flags: P/N (40h) and T (80h) of the cause of transmission.
inline Octets Measured(uint8_t type, uint8_t cause, uint32_t commonAddress,
                       const std::vector<TValue>& values, uint8_t flags = 0) {
  TArkOutAsdu asdu(kStartLengths, type, cause, commonAddress);
  asdu.SetObjectCount(static_cast<uint32_t>(values.size()));
  asdu.SetCot(asdu.Cot() | flags);
  for (const TValue& v : values) {
    asdu.AppendObjectAddress(v.address);
    asdu.AppendOctets(TArkIecTypeFloatQDS(v.value, v.qds).AsOctets());
    // CP24Time2a: milliseconds and minute.
    if (type == asdu_type::kMeasuredFloatTime) asdu.AppendOctets(Octets(3, '\0'));
  }
  return asdu.AsOctets();
}

// A C_CS_NA_1 answer carrying 01.02.2026 03:04:05.
inline Octets ClockAnswer(uint8_t cause, uint32_t commonAddress, uint8_t flags = 0) {
  TArkIecTypeTime time;
  time.SetYear(26);
  time.SetMonth(2);
  time.SetDay(1);
  time.SetHour(3);
  time.SetMinute(4);
  time.SetMilliseconds(5000);
  TArkOutAsdu asdu = TArkOutAsdu::CreateClockSync(kStartLengths, cause, commonAddress, time);
  asdu.SetCot(asdu.Cot() | flags);
  return asdu.AsOctets();
}
inline constexpr const char* kClockAnswerText = "01.02.2026 03:04:05";

inline Octets Interrogation(uint8_t cause) {
  return TArkOutAsdu::CreateInterrogation(kStartLengths, cause, 1,
                                          asdu_cause::kStationInterrogation)
      .AsOctets();
}

}  // namespace vela::test::iec
