#include "iec101/IecAsdu.h"

#include "common/ArkCmnUtils.h"
#include "iec101/IecMeasuredTypes.h"
#include "iec101/IecMessages.h"

namespace vela {
namespace {

constexpr size_t kTypeIdOffset = 0;
constexpr size_t kVsqOffset = 1;
constexpr size_t kCotOffset = 2;
constexpr int kSequenceBit = 7;
constexpr int kNegativeBit = 6;
constexpr int kTestBit = 7;

template <size_t N>
std::array<uint8_t, N> CopyOctets(const Octets& octets, size_t offset) {
  std::array<uint8_t, N> out{};
  for (size_t i = 0; i < N; ++i) out[i] = static_cast<uint8_t>(octets.at(offset + i));
  return out;
}

}  // namespace

TArkAsduBase::TArkAsduBase(const TIecFieldLengths& lengths)
    : lengths_(lengths), octets_(lengths.AsduHeaderLength(), '\0') {}

size_t TArkAsduBase::CommonAddressOffset() const {
  return kCotOffset + lengths_.CotLength();
}

uint32_t TArkAsduBase::ReadField(size_t offset, size_t length, const char* message) const {
  if (!formatValid_ || octets_.size() < offset + length) throw TArkException(message);
  uint32_t value = 0;
  for (size_t i = 0; i < length; ++i) {
    value |= static_cast<uint32_t>(static_cast<uint8_t>(octets_[offset + i])) << (8 * i);
  }
  return value;
}

void TArkAsduBase::WriteField(size_t offset, size_t length, uint32_t value, const char* message) {
  if (!formatValid_ || octets_.size() < offset + length) throw TArkException(message);
  for (size_t i = 0; i < length; ++i) octets_[offset + i] = static_cast<char>(value >> (8 * i));
}

uint32_t TArkAsduBase::ReadAddress(size_t offset) const {
  return ReadField(offset, lengths_.IoaLength(), iec_messages::kBadAsduFormat);
}

uint8_t TArkAsduBase::TypeId() const {
  return static_cast<uint8_t>(ReadField(kTypeIdOffset, 1, iec_messages::kNoTypeIdField));
}
void TArkAsduBase::SetTypeId(uint8_t typeId) {
  WriteField(kTypeIdOffset, 1, typeId, iec_messages::kNoTypeIdField);
}

uint8_t TArkAsduBase::Vsq() const {
  return static_cast<uint8_t>(ReadField(kVsqOffset, 1, iec_messages::kNoVsqField));
}
void TArkAsduBase::SetVsq(uint8_t vsq) {
  WriteField(kVsqOffset, 1, vsq, iec_messages::kNoVsqField);
}

bool TArkAsduBase::IsSequence() const {
  return GetBit(Vsq(), kSequenceBit) != 0;
}
void TArkAsduBase::SetSequence(bool sequence) {
  SetVsq(static_cast<uint8_t>(SetBit(Vsq(), kSequenceBit, sequence ? 1 : 0)));
}
uint8_t TArkAsduBase::ObjectCount() const {
  return Vsq() & 0x7F;
}
void TArkAsduBase::SetObjectCount(uint32_t count) {
  SetVsq(static_cast<uint8_t>((Vsq() & 0x80) | (count & 0x7F)));
}

uint16_t TArkAsduBase::Cot() const {
  return static_cast<uint16_t>(
      ReadField(kCotOffset, lengths_.CotLength(), iec_messages::kNoCotField));
}
void TArkAsduBase::SetCot(uint32_t cot) {
  WriteField(kCotOffset, lengths_.CotLength(), cot & 0xFFFF, iec_messages::kNoCotField);
}
uint8_t TArkAsduBase::Cause() const {
  return Cot() & 0x3F;
}
void TArkAsduBase::SetCause(uint32_t cause) {
  SetCot((Cot() & 0xC0) | (cause & 0x3F));
}
bool TArkAsduBase::IsNegative() const {
  return GetBit(Cot(), kNegativeBit) != 0;
}
bool TArkAsduBase::IsTest() const {
  return GetBit(Cot(), kTestBit) != 0;
}

uint32_t TArkAsduBase::CommonAddress() const {
  return ReadField(CommonAddressOffset(), lengths_.CommonAddressLength(),
                   iec_messages::kNoCommonAddressField);
}
void TArkAsduBase::SetCommonAddress(uint32_t address) {
  WriteField(CommonAddressOffset(), lengths_.CommonAddressLength(), address,
             iec_messages::kNoCommonAddressField);
}

TArkInAsdu::TArkInAsdu(const TIecFieldLengths& lengths, const Octets& octets)
    : TArkAsduBase(lengths) {
  octets_ = octets;
  formatValid_ = octets_.size() >= lengths_.AsduHeaderLength();
}

int TArkInAsdu::ElementCountFor(int elementSize) const {
  return lengths_.ElementCount(static_cast<int>(octets_.size()), IsSequence(), elementSize);
}

TArkIecTypeTime TArkInAsdu::GetClockTime() const {
  if (TypeId() != asdu_type::kClockSync) throw TArkException(iec_messages::kWrongInterpretation);
  const int count = ElementCountFor(TArkIecTypeTime::kSize);
  if (count != ObjectCount() || count != 1) throw TArkException(iec_messages::kBadAsduFormat);
  const size_t offset = lengths_.AsduHeaderLength() + lengths_.IoaLength();
  return TArkIecTypeTime(CopyOctets<TArkIecTypeTime::kSize>(octets_, offset));
}

std::optional<TArkMeasuredValue> TArkInAsdu::GetMeasuredValue(uint32_t index) const {
  const TMeasuredFormat* format = MeasuredFormat(TypeId());
  if (!format) throw TArkException(iec_messages::kWrongInterpretation);
  const int size = format->ElementSize();
  const int count = ElementCountFor(size);
  if (count != ObjectCount()) throw TArkException(iec_messages::kBadAsduFormat);
  if (index >= static_cast<uint32_t>(count)) return std::nullopt;
  const size_t header = lengths_.AsduHeaderLength();
  const size_t ioa = lengths_.IoaLength();
  uint32_t address = 0;
  size_t elementOffset = 0;
  if (IsSequence()) {
    address = ReadAddress(header) + index;
    elementOffset = header + ioa + index * size;
  } else {
    const size_t objectOffset = header + index * (size + ioa);
    address = ReadAddress(objectOffset);
    elementOffset = objectOffset + ioa;
  }
  TDecodedElement element =
      DecodeMeasuredElement(*format, octets_.substr(elementOffset, static_cast<size_t>(size)));
  return TArkMeasuredValue{address, element.value, std::move(element.time)};
}

TArkOutAsdu::TArkOutAsdu(const TIecFieldLengths& lengths, uint8_t typeId, uint32_t cause,
                         uint32_t commonAddress)
    : TArkAsduBase(lengths) {
  SetTypeId(typeId);
  SetCause(cause);
  SetObjectCount(1);
  SetCommonAddress(commonAddress);
}

TArkOutAsdu TArkOutAsdu::CreateInterrogation(const TIecFieldLengths& lengths, uint32_t cause,
                                             uint32_t commonAddress, uint8_t qualifier) {
  TArkOutAsdu asdu(lengths, asdu_type::kInterrogation, cause, commonAddress);
  asdu.AppendObjectAddress(0);
  asdu.AppendOctets(Octets(1, static_cast<char>(qualifier)));
  return asdu;
}

TArkOutAsdu TArkOutAsdu::CreateClockSync(const TIecFieldLengths& lengths, uint32_t cause,
                                         uint32_t commonAddress, const TArkIecTypeTime& time) {
  TArkOutAsdu asdu(lengths, asdu_type::kClockSync, cause, commonAddress);
  asdu.AppendObjectAddress(0);
  asdu.AppendOctets(time.AsOctets());
  return asdu;
}

void TArkOutAsdu::AppendObjectAddress(uint32_t address) {
  for (size_t i = 0; i < lengths_.IoaLength(); ++i)
    octets_ += static_cast<char>(address >> (8 * i));
}

void TArkOutAsdu::AppendOctets(const Octets& octets) {
  octets_ += octets;
}

}  // namespace vela
