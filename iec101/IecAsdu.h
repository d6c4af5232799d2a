#pragma once
// Application service data units of IEC 60870-5-101. The sizes of the cause
// of transmission, the common address and the information object address are
// the field lengths the data unit was made with; an access to a field
// that the octets do not hold raises TArkException with the field's message.

#include <cstdint>
#include <optional>
#include <string>

#include "common/ArkTypes.h"
#include "iec101/IecSettings.h"
#include "iec101/IecTypes.h"

namespace vela {

// Type identifications the program uses.
namespace asdu_type {
inline constexpr uint8_t kMeasuredFloat = 13;      // M_ME_NC_1
inline constexpr uint8_t kMeasuredFloatTime = 14;  // M_ME_TC_1
inline constexpr uint8_t kInterrogation = 100;     // C_IC_NA_1
inline constexpr uint8_t kClockSync = 103;         // C_CS_NA_1
}  // namespace asdu_type

// Causes of transmission the program uses.
namespace asdu_cause {
inline constexpr uint8_t kActivation = 6;
inline constexpr uint8_t kActivationConfirmation = 7;
inline constexpr uint8_t kStationInterrogation = 20;  // also the qualifier QOI
}  // namespace asdu_cause

class TArkAsduBase {
 public:
  // An empty data unit identifier: a header of zero octets.
  explicit TArkAsduBase(const TIecFieldLengths& lengths);

  const TIecFieldLengths& Lengths() const { return lengths_; }

  uint8_t TypeId() const;
  void SetTypeId(uint8_t typeId);
  uint8_t Vsq() const;
  void SetVsq(uint8_t vsq);
  bool IsSequence() const;  // SQ, bit 7 of Vsq
  void SetSequence(bool sequence);
  uint8_t ObjectCount() const;  // Vsq AND 7Fh
  void SetObjectCount(uint32_t count);

  // One octet, or two with the originator address in the high octet.
  uint16_t Cot() const;
  void SetCot(uint32_t cot);
  uint8_t Cause() const;  // Cot AND 3Fh
  // Keeps P/N and T; writes 0 into an originator address octet.
  void SetCause(uint32_t cause);
  bool IsNegative() const;  // P/N, bit 6
  bool IsTest() const;      // T, bit 7

  uint32_t CommonAddress() const;
  void SetCommonAddress(uint32_t address);

  const Octets& AsOctets() const { return octets_; }
  bool FormatValid() const { return formatValid_; }

 protected:
  uint32_t ReadField(size_t offset, size_t length, const char* message) const;
  void WriteField(size_t offset, size_t length, uint32_t value, const char* message);
  uint32_t ReadAddress(size_t offset) const;  // IoaLength() octets, least significant first
  size_t CommonAddressOffset() const;

  TIecFieldLengths lengths_;
  Octets octets_;
  bool formatValid_ = true;
};

struct TArkMeasuredValue {
  uint32_t address;             // information object address
  TArkIecTypeFloatQDS element;  // the value as a float, whatever its coding
  std::string time;             // the element's time tag as text, empty without one
};

class TArkInAsdu : public TArkAsduBase {
 public:
  // Never fails: octets shorter than the header make every identifier access
  // fail instead.
  TArkInAsdu(const TIecFieldLengths& lengths, const Octets& octets);

  // Number of elements of elementSize octets the octets hold
  // (see TIecFieldLengths::ElementCount).
  int ElementCountFor(int elementSize) const;

  // The time element of a C_CS_NA_1 with exactly one object.
  TArkIecTypeTime GetClockTime() const;
  // Object index of a measured-value type (see IecMeasuredTypes.h), or
  // nothing past the last one.
  // Raises TArkException when the octets do not match the number of objects.
  std::optional<TArkMeasuredValue> GetMeasuredValue(uint32_t index) const;
};

class TArkOutAsdu : public TArkAsduBase {
 public:
  // Type, cause (P/N = 0, T = 0), one object (SQ = 0) and common address.
  TArkOutAsdu(const TIecFieldLengths& lengths, uint8_t typeId, uint32_t cause,
              uint32_t commonAddress);

  static TArkOutAsdu CreateInterrogation(const TIecFieldLengths& lengths, uint32_t cause,
                                         uint32_t commonAddress, uint8_t qualifier);
  static TArkOutAsdu CreateClockSync(const TIecFieldLengths& lengths, uint32_t cause,
                                     uint32_t commonAddress, const TArkIecTypeTime& time);

  // Building information objects: an address of IoaLength() octets, then the
  // element's octets. The caller keeps the object count in step.
  void AppendObjectAddress(uint32_t address);
  void AppendOctets(const Octets& octets);
};

}  // namespace vela
