#include "display/RegisterReading.h"

#include <optional>

#include "display/RegisterNormalisation.h"

namespace vela {
namespace {

constexpr auto U = TRegisterKind::Unsigned;
constexpr auto S = TRegisterKind::Signed;

struct TRegisterRule {
  TSlot slot;
  int index;  // within the block
  TRegisterKind kind;
  double scale;
};

TReadingValue Decode(TSlot slot, uint16_t raw, TRegisterKind kind, double scale, uint8_t type) {
  const std::optional<int32_t> count = DecodeRegister(raw, kind, type);
  if (!count) return {slot, 0.0, rqOverflow};
  return {slot, *count * scale, rqValid};
}

template <size_t N>
TReading Decode(const TModbusValues& block, const TRegisterRule (&rules)[N], uint8_t type) {
  TReading reading;
  reading.reserve(N);
  for (const TRegisterRule& rule : rules) {
    reading.push_back(
        Decode(rule.slot, block.GetRegister(rule.index), rule.kind, rule.scale, type));
  }
  return reading;
}

}  // namespace

TReading DecodeRegisters(const TModbusValues4Wire& block, const TModbusParamsMain& mainPrm) {
  static constexpr TRegisterRule kRules[] = {
      {slotP, 0, S, 0.2},     {slotQ, 1, S, 0.2},     {slotS, 2, U, 0.2},
      {slotUab, 3, U, 0.02},  {slotUbc, 4, U, 0.02},  {slotUca, 5, U, 0.02},
      {slotIa, 6, U, 0.0002}, {slotIb, 7, U, 0.0002}, {slotIc, 8, U, 0.0002},
      {slotIo, 9, U, 0.0002}, {slotUa, 10, U, 0.01},  {slotUb, 11, U, 0.01},
      {slotUc, 12, U, 0.01},  {slotUo, 13, U, 0.01},  {slotPa, 14, S, 0.1},
      {slotPb, 15, S, 0.1},   {slotPc, 16, S, 0.1},   {slotQa, 17, S, 0.1},
      {slotQb, 18, S, 0.1},   {slotQc, 19, S, 0.1},   {slotSa, 20, U, 0.1},
      {slotSb, 21, U, 0.1},   {slotSc, 22, U, 0.1},
  };
  return Decode(block, kRules, mainPrm.GetNormalisationType());
}

TReading DecodeRegisters(const TModbusValues3Wire& block, const TModbusParamsMain& mainPrm) {
  static constexpr TRegisterRule kRules[] = {
      {slotP, 0, S, 0.2},     {slotQ, 1, S, 0.2},     {slotS, 2, U, 0.2},
      {slotUab, 3, U, 0.02},  {slotUbc, 4, U, 0.02},  {slotUca, 5, U, 0.02},
      {slotIa, 6, U, 0.0002}, {slotIb, 7, U, 0.0002}, {slotIc, 8, U, 0.0002},
  };
  TReading reading = Decode(block, kRules, mainPrm.GetNormalisationType());
  for (TSlot slot : kFourWireOnlySlots) reading.push_back({slot, 0.0, rqAbsent});
  return reading;
}

TReading DecodeRegisters(const TModbusValuesF& block, const TModbusParamsMain& mainPrm) {
  return {Decode(slotF, block.GetFrequency(), U, 0.001, mainPrm.GetNormalisationType())};
}

TReading DecodeRegisters(const TModbusValues3Cos& block, const TModbusParamsMain& mainPrm) {
  return {Decode(slotCos, block.GetCos(), S, 0.0001, mainPrm.GetNormalisationType())};
}

TReading DecodeRegisters(const TModbusValues4Cos& block, const TModbusParamsMain& mainPrm) {
  static constexpr TRegisterRule kRules[] = {
      {slotCosA, 0, S, 0.0001}, {slotCosB, 1, S, 0.0001}, {slotCosC, 2, S, 0.0001}};
  return Decode(block, kRules, mainPrm.GetNormalisationType());
}

}  // namespace vela
