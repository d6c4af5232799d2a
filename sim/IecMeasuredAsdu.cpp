#include "sim/IecMeasuredAsdu.h"

#include <algorithm>

#include "iec101/IecAsdu.h"
#include "iec101/IecMeasuredTypes.h"
#include "iec101/IecPacket.h"
#include "iec101/IecTypes.h"
#include "sim/MeasuredValues.h"

namespace vela {
namespace {

constexpr size_t kMaxObjects = 0x7F;  // the object count field of the VSQ
// Normalised values are the measured value over this full scale (clamped).
constexpr double kNormalisedFullScale = 1000.0;

struct MeasuredObject {
  uint32_t address;
  Octets element;
};

std::vector<MeasuredObject> Objects(const DeviceModel& device, const MeasuredAsduSetup& setup,
                                    const TMeasuredFormat& format) {
  const Measurements m = device.CurrentMeasurements();
  TArkIecTypeTime time;
  time.FillFrom(device.ClockTime());
  std::vector<MeasuredObject> objects;
  const auto& quantities = Quantities();
  for (size_t slot = 0; slot < quantities.size(); ++slot) {
    const QuantityInfo& q = quantities[slot];
    if (!device.Measures(q)) continue;
    uint8_t qds = setup.quality;
    if (device.ForcedOutOfRange(q)) qds |= kQdsOverflow;
    if (setup.invalid.count(q.reg) != 0) qds |= kQdsInvalid;
    const double value =
        format.coding == TMeasuredCoding::Normalised ? m[q.reg] / kNormalisedFullScale : m[q.reg];
    objects.push_back({static_cast<uint32_t>(slot + 1),
                       EncodeMeasuredElement(format, static_cast<float>(value), qds, time)});
  }
  return objects;
}

}  // namespace

size_t MaxAsduLength(const TIecFieldLengths& lengths) {
  return kFt12MaxLength - 1 - lengths.LinkAddressLength();
}

std::vector<Octets> MeasuredAsdus(const DeviceModel& device, const MeasuredAsduSetup& setup) {
  const TMeasuredFormat* known = MeasuredFormat(setup.type);
  const TMeasuredFormat& format = known ? *known : *MeasuredFormat(asdu_type::kMeasuredFloat);
  const std::vector<MeasuredObject> objects = Objects(device, setup, format);
  const auto elementSize = static_cast<size_t>(format.ElementSize());
  const size_t perAsdu = std::min(std::min(kMaxObjects, setup.maxObjects),
                                  (setup.maxLength - setup.lengths.AsduHeaderLength()) /
                                      (setup.lengths.IoaLength() + elementSize));
  std::vector<Octets> asdus;
  for (size_t first = 0; first < objects.size(); first += perAsdu) {
    const size_t count = std::min(perAsdu, objects.size() - first);
    TArkOutAsdu asdu(setup.lengths, format.type, setup.cause, setup.commonAddress);
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
