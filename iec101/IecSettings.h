#pragma once
// The four address-like field sizes that IEC 60870-5-101 leaves to the
// parties' agreement, as a value: every frame and ASDU codec is given the
// lengths of its own link, so two links in one process never mix them up.

#include <cstdint>

namespace vela {

class TIecFieldLengths {
 public:
  // Link address field A of FT 1.2 frames: 0, 1 or 2 octets (0 = absent).
  uint32_t LinkAddressLength() const { return linkAddress_; }
  void SetLinkAddressLength(uint32_t length);
  // Common address of ASDU: 1 or 2 octets.
  uint32_t CommonAddressLength() const { return commonAddress_; }
  void SetCommonAddressLength(uint32_t length);
  // Cause of transmission: 1 or 2 octets (the second is the originator address).
  uint32_t CotLength() const { return cot_; }
  void SetCotLength(uint32_t length);
  // Information object address: 1, 2 or 3 octets.
  uint32_t IoaLength() const { return ioa_; }
  void SetIoaLength(uint32_t length);
  // Each setter raises TArkException with its Russian message for a value out
  // of range and keeps the previous value.

  // Type identification, variable structure qualifier, cause, common address.
  uint32_t AsduHeaderLength() const { return 2 + cot_ + commonAddress_; }

  // Number of information elements of elementSize octets in a received ASDU
  // of asduLength octets: one address then the elements when sequence is
  // true, otherwise an address before every element. Integer division toward
  // zero.
  int ElementCount(int asduLength, bool sequence, int elementSize) const;

  bool operator==(const TIecFieldLengths&) const = default;

 private:
  // The values the program starts with.
  uint32_t linkAddress_ = 1;
  uint32_t commonAddress_ = 1;
  uint32_t cot_ = 1;
  uint32_t ioa_ = 2;
};

// How long the device may take to begin an answer, in milliseconds: the
// start value and the range the connection accepts.
inline constexpr uint32_t kDefaultAnswerTimeMs = 400;
inline constexpr uint32_t kMinAnswerTimeMs = 100;
inline constexpr uint32_t kMaxAnswerTimeMs = 30000;

// A measured value not refreshed for longer than this many seconds is hidden
// as stale: the start value and the range the connection accepts.
inline constexpr uint32_t kDefaultStaleAfterS = 10;
inline constexpr uint32_t kMaxStaleAfterS = 3600;
// Seconds between the station interrogations of continuous reading; 0: none
// but those at its start and after a reset or a restart of the device.
inline constexpr uint32_t kMaxInterrogationPeriodS = 86400;

// The program's own IEC 60870-5-101 connection: the field lengths of its
// frames, the common address of ASDU it accepts in answers, the device's
// answer time (the core of every response time-out), the staleness limit of
// the values, the period of station interrogations and the link address it
// talks to (see CheckLinkAddressFits).
struct TIecLinkSettings {
  TIecFieldLengths lengths;
  uint32_t expectedCommonAddress = 1;
  uint32_t answerTimeMs = kDefaultAnswerTimeMs;
  uint32_t staleAfterS = kDefaultStaleAfterS;
  uint32_t interrogationPeriodS = 0;
  uint32_t linkAddress = 1;
  bool operator==(const TIecLinkSettings&) const = default;
};

// Largest common address of ASDU a station can have in commonAddressLength
// octets: 254 for one, 65534 for two (255 and 65535 are the global address,
// never an answer's own).
uint32_t MaxCommonAddress(int commonAddressLength);

// Raises TArkException with a Russian message when a station cannot have
// linkAddress with a link address field of linkAddressLength octets: 1..254
// with one octet, 1..65534 with two (255 and 65535 are the broadcast
// address), any with none (the frames carry no address).
void CheckLinkAddressFits(uint32_t linkAddress, int linkAddressLength);

// Raises TArkException with a Russian message that says what to choose
// instead when commonAddress is 0 or does not fit commonAddressLength octets;
// a length other than 1 or 2 raises the common-address length message.
void CheckCommonAddressFits(uint32_t commonAddress, int commonAddressLength);

}  // namespace vela
