#pragma once
// FT 1.2 frames (IEC 60870-5-1/-2) as used by IEC 60870-5-101 in unbalanced
// transmission. TArkInPacket recognises a frame in one received chunk and never
// fails; TArkOutPacket builds a frame to send, for the primary station (the
// program) or for a secondary station (a simulated device). The link address
// field's size comes from the field lengths each frame is given.

#include <cstddef>
#include <cstdint>

#include "common/ArkTypes.h"
#include "iec101/IecSettings.h"

namespace vela {

enum class TFrameKind : uint8_t { fkUnknown = 0, fkSingleChar = 1, fkFixed = 2, fkVariable = 3 };

// The fields a frame carries: ffControl means control and address are valid,
// ffData means user data is valid.
enum TFrameField : uint8_t { ffControl = 1, ffData = 2 };
using TFrameFields = uint8_t;

inline constexpr uint8_t kFt12Ack = 0xE5;   // single control character: positive
inline constexpr uint8_t kFt12Nack = 0xA2;  // single control character: negative
inline constexpr uint8_t kFt12FixedStart = 0x10;
inline constexpr uint8_t kFt12VariableStart = 0x68;
inline constexpr uint8_t kFt12Stop = 0x16;
inline constexpr int kFt12MaxLength = 255;  // largest L of a variable frame
// Every octet a frame can begin with.
inline constexpr char kFrameStarts[] = {static_cast<char>(kFt12Ack), static_cast<char>(kFt12Nack),
                                        static_cast<char>(kFt12FixedStart),
                                        static_cast<char>(kFt12VariableStart), '\0'};

// Function codes of the control field.
namespace fc {
inline constexpr uint8_t kResetRemoteLink = 0;  // primary
inline constexpr uint8_t kUserDataConfirm = 3;
inline constexpr uint8_t kRequestStatus = 9;
inline constexpr uint8_t kRequestClass1 = 10;
inline constexpr uint8_t kRequestClass2 = 11;
inline constexpr uint8_t kAck = 0;  // secondary
inline constexpr uint8_t kNack = 1;
inline constexpr uint8_t kUserData = 8;
inline constexpr uint8_t kNoData = 9;
inline constexpr uint8_t kLinkStatus = 11;
inline constexpr uint8_t kServiceNotFunctioning = 14;
inline constexpr uint8_t kServiceNotImplemented = 15;
}  // namespace fc

// Russian description of a function code; prm selects the table of the
// primary (true) or the secondary station. code is taken modulo 16.
const char* FunctionDescription(bool prm, unsigned code);
extern const char* const kPrimaryFunctionTexts[16];
extern const char* const kSecondaryFunctionTexts[16];

class TArkPacketBase {
 public:
  const Octets& Frame() const { return frame_; }
  TFrameKind Kind() const { return kind_; }
  bool HasControl() const { return (fields_ & ffControl) != 0; }
  bool HasData() const { return (fields_ & ffData) != 0; }
  TFrameFields Fields() const { return fields_; }

  // Each of these raises TArkException when the frame lacks the field.
  uint8_t Control() const;
  const Octets& UserData() const;
  bool Prm() const;  // bit 6 of C

 protected:
  TArkPacketBase() = default;
  explicit TArkPacketBase(const TIecFieldLengths& lengths) : lengths_(lengths) {}

  TIecFieldLengths lengths_;
  Octets frame_;
  TFrameKind kind_ = TFrameKind::fkUnknown;
  uint8_t control_ = 0;
  uint16_t address_ = 0;  // address octets, least significant first, zero-extended
  Octets userData_;
  TFrameFields fields_ = 0;
};

class TArkInPacket : public TArkPacketBase {
 public:
  // The whole chunk is one candidate frame; anything that is not a usable frame
  // gives an object without ffControl.
  TArkInPacket(const TIecFieldLengths& lengths, const Octets& octets);

  bool Acd() const;  // secondary frames only (PRM = 0)
  bool Dfc() const;
  bool Fcb() const;  // primary frames only (PRM = 1)
  bool Fcv() const;
  uint8_t Function() const;  // C AND 0Fh
  uint16_t LinkAddress() const;
  // True when the link address length is 0, else whether A equals expected
  // truncated to the address field.
  bool AddressMatches(uint32_t expected) const;

 private:
  void Recognise();
  void ExtractFields();
};

class TArkOutPacket : public TArkPacketBase {
 public:
  // A frame of the primary station: C = 40h OR function, with FCV also 10h and
  // FCB (20h) from the lowest bit of fcbSource. Empty user data gives a fixed
  // frame. Raises TArkException when the frame would exceed the FT 1.2 limit.
  TArkOutPacket(const TIecFieldLengths& lengths, uint8_t function, uint32_t linkAddress,
                int fcbSource, bool fcv, const Octets& userData = {});

  // A frame of a secondary station (PRM = 0) with its ACD and DFC bits.
  static TArkOutPacket Secondary(const TIecFieldLengths& lengths, uint8_t function,
                                 uint32_t linkAddress, bool acd, bool dfc,
                                 const Octets& userData = {});
  // E5h or A2h alone.
  static TArkOutPacket SingleChar(uint8_t character);

 private:
  explicit TArkOutPacket(const TIecFieldLengths& lengths) : TArkPacketBase(lengths) {}
  void Build(uint8_t control, uint32_t linkAddress, const Octets& userData);
};

// The address truncated to the link address length of lengths.
uint16_t TruncateLinkAddress(const TIecFieldLengths& lengths, uint32_t address);

// Ft12FrameLength's answer for octets that cannot begin a frame.
inline constexpr std::size_t kNotFt12Frame = static_cast<std::size_t>(-1);

// The length of the whole well-formed FT 1.2 frame that starts at data[0]:
// E5h or A2h alone, a fixed frame of the link address length of lengths, or
// a variable frame (L at least 1 + that length) with a good checksum.
// Octets after that frame do not matter. 0 when data is a valid beginning of
// a frame that needs more octets (also when data is empty); kNotFt12Frame
// when data cannot be the start of a frame.
std::size_t Ft12FrameLength(const TIecFieldLengths& lengths, const Octets& data);

}  // namespace vela
