// Whether the device settings may be written: they must have been read from
// the device now connected, over the same port and address, every block of
// them, and every field must be known. Writing anything else would put
// settings into the device that the operator never saw come out of it.

#include "app/Engine.h"

namespace vela {
namespace {

unsigned BitOf(uint8_t job) {
  switch (job) {
    case jobGetMainPrm:
      return 1u;
    case jobGetLinkPrm:
      return 2u;
    case jobGetLinkPrm2:
      return 4u;
    case jobGetLinkPrm3:
      return 8u;
    case jobGetLinkPrm4:
      return 16u;
    default:
      return 0u;
  }
}

constexpr unsigned kAllSettingsBlocks = 31u;

}  // namespace

bool TVelaEngine::DeviceSettingsKnown() const {
  return DeviceSettingsRead() && DeviceSettingsComplete();
}

bool TVelaEngine::DeviceSettingsRead() const {
  return FSettingsOrigin && FSettingsOrigin->source == LinkSource();
}

bool TVelaEngine::DeviceSettingsComplete() const {
  return FDevice.protocol >= 0 && FDevice.speedIndex >= 0 && FDevice.frame >= 0 &&
         FDevice.address >= 1 && FDevice.address <= kMaxAddress && FDevice.threeWire.has_value();
}

void TVelaEngine::SettingsBlockRead(uint8_t job) {
  FSettingsBlocksRead |= BitOf(job);
  if (FSettingsBlocksRead != kAllSettingsBlocks || FSettingsOrigin) return;
  FSettingsOrigin = TSettingsOrigin{LinkSource(), FLinkPrm->GetSerialNumber()};
  if (OnSettingsKnownChanged) OnSettingsKnownChanged();  // the write may now be offered
}

void TVelaEngine::ForgetSettingsOrigin() {
  FSettingsBlocksRead = 0;
  if (!FSettingsOrigin) return;
  FSettingsOrigin.reset();
  if (OnSettingsKnownChanged) OnSettingsKnownChanged();
}

}  // namespace vela
