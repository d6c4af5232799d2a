#include "display/IecReading.h"

namespace vela {
namespace {

uint8_t QualityOf(const TArkIecTypeQDS& qds) {
  uint8_t quality = rqValid;
  if (qds.Overflow()) quality |= rqOverflow;
  if (qds.Substituted()) quality |= rqSubstituted;
  if (qds.Blocked()) quality |= rqBlocked;
  if (qds.NotTopical()) quality |= rqNotTopical;
  if (qds.Invalid()) quality |= rqInvalid;
  return quality;
}

}  // namespace

TReading IecReading(const std::vector<TArkMeasuredValue>& values) {
  TReading reading;
  reading.reserve(values.size());
  for (const TArkMeasuredValue& v : values) {
    if (v.address < 1 || v.address > kSlotCount) continue;
    reading.push_back({static_cast<TSlot>(v.address - 1), v.element.Value(), QualityOf(v.element)});
  }
  return reading;
}

}  // namespace vela
