#include "sim/IecMeasuredAsdu.h"

#include <algorithm>

#include "iec101/IecAsdu.h"
#include "iec101/IecPacket.h"
#include "iec101/IecTypes.h"
#include "sim/MeasuredValues.h"

namespace vela {
namespace {

constexpr size_t kMaxObjects = 0x7F;  // the object count field of the VSQ
constexpr size_t kMinuteTagLength = 3;

struct MeasuredObject {
  uint32_t address;
  Octets element;
};

// CP24Time2a: milliseconds within the minute and the minute, as CP56Time2a
// starts.
Octets MinuteTag(const DeviceModel& device) {
  TArkIecTypeTime time;
  time.FillFrom(device.ClockTime());
  return time.AsOctets().substr(0, kMinuteTagLength);
}

std::vector<MeasuredObject> Objects(const DeviceModel& device, const MeasuredAsduSetup& setup) {
  const Measurements m = device.CurrentMeasurements();
  const Octets tag = setup.type == asdu_type::kMeasuredFloatTime ? MinuteTag(device) : Octets();
  std::vector<MeasuredObject> objects;
  const auto& quantities = Quantities();
  for (size_t slot = 0; slot < quantities.size(); ++slot) {
    const QuantityInfo& q = quantities[slot];
    if (!device.Measures(q)) continue;
    uint8_t qds = setup.quality;
    if (device.ForcedOutOfRange(q)) qds |= kQdsOverflow;
    const TArkIecTypeFloatQDS value(static_cast<float>(m[q.reg]), qds);
    objects.push_back({static_cast<uint32_t>(slot + 1), value.AsOctets() + tag});
  }
  return objects;
}

}  // namespace

size_t MaxAsduLength(const TIecFieldLengths& lengths) {
  return kFt12MaxLength - 1 - lengths.LinkAddressLength();
}

std::vector<Octets> MeasuredAsdus(const DeviceModel& device, const MeasuredAsduSetup& setup) {
  const std::vector<MeasuredObject> objects = Objects(device, setup);
  const size_t elementSize = TArkIecTypeFloatQDS::kSize +
                             (setup.type == asdu_type::kMeasuredFloatTime ? kMinuteTagLength : 0);
  const size_t perAsdu =
      std::min(kMaxObjects, (setup.maxLength - setup.lengths.AsduHeaderLength()) /
                                (setup.lengths.IoaLength() + elementSize));
  std::vector<Octets> asdus;
  for (size_t first = 0; first < objects.size(); first += perAsdu) {
    const size_t count = std::min(perAsdu, objects.size() - first);
    TArkOutAsdu asdu(setup.lengths, setup.type, setup.cause, setup.commonAddress);
    asdu.SetObjectCount(static_cast<uint32_t>(count));
    for (size_t i = first; i < first + count; ++i) {
      asdu.AppendObjectAddress(objects[i].address);
      asdu.AppendOctets(objects[i].element);
    }
    asdus.push_back(asdu.AsOctets());
  }
  return asdus;
}

}  // namespace vela
