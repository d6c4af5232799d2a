#include "iec101/IecPacket.h"

#include "common/ArkCmnUtils.h"
#include "common/Checksums.h"
#include "iec101/IecMessages.h"
#include "iec101/IecSettings.h"

namespace vela {

const char* const kPrimaryFunctionTexts[16] = {
    " 0 - сброс удалённого канала [ПОСЫЛКА/ПОДТВЕРЖДЕНИЕ]",
    " 1 - сброс процесса пользователя [ПОСЫЛКА/ПОДТВЕРЖДЕНИЕ]",
    " 2 - резерв для балансной процедуры передачи [ПОСЫЛКА/ПОДТВЕРЖДЕНИЕ]",
    " 3 - пользовательские данные [ПОСЫЛКА/ПОДТВЕРЖДЕНИЕ]",
    " 4 - пользовательские данные [ЗАПРОС БЕЗ ОТВЕТА]",
    " 5 - резерв []",
    " 6 - резерв для использования по согласованию []",
    " 7 - резерв для использования по согласованию []",
    " 8 - запрос о наличии данных на вторичной станции [ЗАПРОС ДОСТУПА]",
    " 9 - запрос о состоянии канала связи [ЗАПРОС/ОТВЕТ]",
    "10 - запрос данных класса 1 [ЗАПРОС/ОТВЕТ]",
    "11 - запрос данных класса 2 [ЗАПРОС/ОТВЕТ]",
    "12 - резерв []",
    "13 - резерв []",
    "14 - резерв для использования по согласованию []",
    "15 - резерв для использования по согласованию []",
};

const char* const kSecondaryFunctionTexts[16] = {
    " 0 - положительная квитанция [ПОДТВЕРЖДЕНИЕ]",
    " 1 - отрицательная квитанция (сообщение не принято, линия занята) [ПОДТВЕРЖДЕНИЕ]",
    " 2 - резерв []",
    " 3 - резерв []",
    " 4 - резерв []",
    " 5 - резерв []",
    " 6 - резерв для использования по согласованию []",
    " 7 - резерв для использования по согласованию []",
    " 8 - пользовательские данные [ОТВЕТ]",
    " 9 - отрицательная квитанция. Запрошенные данные отсутствуют [ОТВЕТ]",
    "10 - резерв []",
    "11 - состояние канала связи или запрос доступа [ОТВЕТ]",
    "12 - резерв []",
    "13 - резерв для использования по согласованию []",
    "14 - канальный сервис не работает [-]",
    "15 - канальный сервис не встроен [-]",
};

const char* FunctionDescription(bool prm, unsigned code) {
  return prm ? kPrimaryFunctionTexts[code & 15] : kSecondaryFunctionTexts[code & 15];
}

namespace {

constexpr int kPrmBit = 6;
constexpr int kFcbAcdBit = 5;
constexpr int kFcvDfcBit = 4;

uint8_t OctetAt(const Octets& octets, size_t index) {
  return static_cast<uint8_t>(octets[index]);
}

// Sum8 of count octets from index on.
uint8_t SumOf(const Octets& octets, size_t index, size_t count) {
  return Sum8(octets.data() + index, static_cast<int>(count));
}

}  // namespace

uint16_t TruncateLinkAddress(const TIecFieldLengths& lengths, uint32_t address) {
  switch (lengths.LinkAddressLength()) {
    case 0:
      return 0;
    case 1:
      return static_cast<uint16_t>(address & 0xFF);
    default:
      return static_cast<uint16_t>(address & 0xFFFF);
  }
}

uint8_t TArkPacketBase::Control() const {
  if (!HasControl()) throw TArkException(iec_messages::kNoControlField);
  return control_;
}

const Octets& TArkPacketBase::UserData() const {
  if (!HasData()) throw TArkException(iec_messages::kNoDataField);
  return userData_;
}

bool TArkPacketBase::Prm() const {
  return GetBit(Control(), kPrmBit) != 0;
}

TArkInPacket::TArkInPacket(const TIecFieldLengths& lengths, const Octets& octets)
    : TArkPacketBase(lengths) {
  frame_ = octets;
  Recognise();
  ExtractFields();
}

void TArkInPacket::Recognise() {
  const Octets& f = frame_;
  const size_t n = f.size();
  if (n == 1 && (OctetAt(f, 0) == kFt12Ack || OctetAt(f, 0) == kFt12Nack)) {
    kind_ = TFrameKind::fkSingleChar;
  } else if (n > 2 && OctetAt(f, 0) == kFt12FixedStart && OctetAt(f, n - 1) == kFt12Stop &&
             OctetAt(f, n - 2) == SumOf(f, 1, n - 3)) {
    kind_ = TFrameKind::fkFixed;
  } else if (n > 5 && OctetAt(f, 0) == kFt12VariableStart && OctetAt(f, 3) == kFt12VariableStart &&
             OctetAt(f, n - 1) == kFt12Stop && OctetAt(f, 1) == OctetAt(f, 2) &&
             n == static_cast<size_t>(OctetAt(f, 1)) + 6 &&
             OctetAt(f, n - 2) == SumOf(f, 4, OctetAt(f, 1))) {
    kind_ = TFrameKind::fkVariable;
  }
}

void TArkInPacket::ExtractFields() {
  const size_t addressLength = lengths_.LinkAddressLength();
  size_t controlIndex = 0;
  if (kind_ == TFrameKind::fkFixed && frame_.size() == addressLength + 4) {
    controlIndex = 1;
    fields_ = ffControl;
  } else if (kind_ == TFrameKind::fkVariable && OctetAt(frame_, 1) > addressLength + 1) {
    controlIndex = 4;
    const size_t dataLength = OctetAt(frame_, 1) - 1 - addressLength;
    userData_ = frame_.substr(controlIndex + 1 + addressLength, dataLength);
    fields_ = ffControl | ffData;
  } else {
    return;
  }
  control_ = OctetAt(frame_, controlIndex);
  for (size_t i = 0; i < addressLength; ++i) {
    address_ |= static_cast<uint16_t>(OctetAt(frame_, controlIndex + 1 + i) << (8 * i));
  }
}

bool TArkInPacket::Acd() const {
  if (Prm()) throw TArkException(iec_messages::kAcdOnlySecondary);
  return GetBit(control_, kFcbAcdBit) != 0;
}

bool TArkInPacket::Dfc() const {
  if (Prm()) throw TArkException(iec_messages::kDfcOnlySecondary);
  return GetBit(control_, kFcvDfcBit) != 0;
}

bool TArkInPacket::Fcb() const {
  if (!Prm()) throw TArkException(iec_messages::kFcbOnlyPrimary);
  return GetBit(control_, kFcbAcdBit) != 0;
}

bool TArkInPacket::Fcv() const {
  if (!Prm()) throw TArkException(iec_messages::kFcvOnlyPrimary);
  return GetBit(control_, kFcvDfcBit) != 0;
}

uint8_t TArkInPacket::Function() const {
  return Control() & 0x0F;
}

uint16_t TArkInPacket::LinkAddress() const {
  if (lengths_.LinkAddressLength() == 0) throw TArkException(iec_messages::kNoAddressBySettings);
  if (!HasControl()) throw TArkException(iec_messages::kNoAddressField);
  return address_;
}

bool TArkInPacket::AddressMatches(uint32_t expected) const {
  if (lengths_.LinkAddressLength() == 0) return true;
  return LinkAddress() == TruncateLinkAddress(lengths_, expected);
}

namespace {

// A frame of total length n whose checksum sits at n - 2 over the octets from
// first on, checked as far as data reaches.
std::size_t CheckedFrameLength(const Octets& data, std::size_t first, std::size_t n) {
  if (data.size() >= n - 1 && OctetAt(data, n - 2) != SumOf(data, first, n - 2 - first)) {
    return kNotFt12Frame;
  }
  if (data.size() < n) return 0;
  return OctetAt(data, n - 1) == kFt12Stop ? n : kNotFt12Frame;
}

std::size_t VariableFrameLength(const TIecFieldLengths& lengths, const Octets& data) {
  if (data.size() < 2) return 0;
  const std::size_t l = OctetAt(data, 1);
  if (l < lengths.LinkAddressLength() + 1) return kNotFt12Frame;
  if (data.size() >= 3 && OctetAt(data, 2) != l) return kNotFt12Frame;
  if (data.size() >= 4 && OctetAt(data, 3) != kFt12VariableStart) return kNotFt12Frame;
  return CheckedFrameLength(data, 4, l + 6);
}

}  // namespace

std::size_t Ft12FrameLength(const TIecFieldLengths& lengths, const Octets& data) {
  if (data.empty()) return 0;
  switch (OctetAt(data, 0)) {
    case kFt12Ack:
    case kFt12Nack:
      return 1;
    case kFt12FixedStart:
      return CheckedFrameLength(data, 1, lengths.LinkAddressLength() + 4);
    case kFt12VariableStart:
      return VariableFrameLength(lengths, data);
    default:
      return kNotFt12Frame;
  }
}

TArkOutPacket::TArkOutPacket(const TIecFieldLengths& lengths, uint8_t function,
                             uint32_t linkAddress, int fcbSource, bool fcv, const Octets& userData)
    : TArkPacketBase(lengths) {
  uint32_t control = 0x40 | (function & 0x0F);
  if (fcv) control = SetBit(control | 0x10, kFcbAcdBit, static_cast<uint32_t>(fcbSource));
  Build(static_cast<uint8_t>(control), linkAddress, userData);
}

TArkOutPacket TArkOutPacket::Secondary(const TIecFieldLengths& lengths, uint8_t function,
                                       uint32_t linkAddress, bool acd, bool dfc,
                                       const Octets& userData) {
  uint32_t control = function & 0x0F;
  control = SetBit(control, kFcbAcdBit, acd ? 1 : 0);
  control = SetBit(control, kFcvDfcBit, dfc ? 1 : 0);
  TArkOutPacket packet(lengths);
  packet.Build(static_cast<uint8_t>(control), linkAddress, userData);
  return packet;
}

TArkOutPacket TArkOutPacket::SingleChar(uint8_t character) {
  if (character != kFt12Ack && character != kFt12Nack) {
    throw TArkException(iec_messages::kBadSingleChar);
  }
  TArkOutPacket packet{TIecFieldLengths()};
  packet.frame_ = Octets(1, static_cast<char>(character));
  packet.kind_ = TFrameKind::fkSingleChar;
  return packet;
}

void TArkOutPacket::Build(uint8_t control, uint32_t linkAddress, const Octets& userData) {
  const size_t addressLength = lengths_.LinkAddressLength();
  const size_t checked = userData.size() + addressLength + 1;  // C, A and user data
  if (userData.empty()) {
    frame_ = Octets(1, static_cast<char>(kFt12FixedStart));
    kind_ = TFrameKind::fkFixed;
    fields_ = ffControl;
  } else {
    if (checked > kFt12MaxLength) throw TArkException(iec_messages::kFrameTooLong);
    const char l = static_cast<char>(checked);
    frame_ = {static_cast<char>(kFt12VariableStart), l, l, static_cast<char>(kFt12VariableStart)};
    kind_ = TFrameKind::fkVariable;
    fields_ = ffControl | ffData;
  }
  const size_t controlIndex = frame_.size();
  control_ = control;
  address_ = TruncateLinkAddress(lengths_, linkAddress);
  userData_ = userData;
  frame_ += static_cast<char>(control_);
  for (size_t i = 0; i < addressLength; ++i) frame_ += static_cast<char>(address_ >> (8 * i));
  frame_ += userData;
  frame_ += static_cast<char>(SumOf(frame_, controlIndex, checked));
  frame_ += static_cast<char>(kFt12Stop);
}

}  // namespace vela
