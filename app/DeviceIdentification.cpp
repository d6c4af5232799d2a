#include "app/DeviceIdentification.h"

#include <cstdio>

namespace vela {
namespace {

std::string Format(const char* pattern, auto... args) {
  char buffer[256];
  std::snprintf(buffer, sizeof buffer, pattern, args...);
  return buffer;
}

std::string IdentifiedAs(const char* kind, uint32_t modification, uint32_t serial) {
  return Format("Прибор идентифицируется как \"СИРТА %s\" (модификация №%u), серийный номер %.6u.",
                kind, modification + 1, serial);
}

void AddRejection(TIdentResult& result) {
  result.verdict = TIdentVerdict::Rejected;
  result.lines.push_back("Программа VelaLink предназначена только для работы с \"СИРТА Vela\".");
  result.lines.push_back("Проверьте правильность подключений.");
}

}  // namespace

TSoftwareIdentity SoftwareIdentity(uint32_t sid, uint16_t digitalId) {
  const unsigned shown = digitalId == 0xFFFF ? 0x1977 : digitalId;
  return {Format("%u.%u", (sid >> 24) & 0xFF, (sid >> 16) & 0xFF), Format("0x%.4X", shown)};
}

TIdentResult IdentifyDevice(uint32_t hid, uint32_t sid, uint32_t serial) {
  TIdentResult result;
  const uint32_t modification = hid & 0xFF;
  const uint32_t family = hid & 0xFFFFFF00u;
  if (family == kVelaHardwareCode) {
    if (modification <= kHighestSupportedModification) return result;
    result.verdict = TIdentVerdict::NewerModification;
    result.lines.push_back(IdentifiedAs("Vela", modification, serial));
    result.lines.push_back("Данная версия VelaLink не поддерживает эту модификацию прибора.");
    result.lines.push_back(std::string("Обратитесь в ООО \"СИРТА\" за обновлённой версией ПО: ") +
                           kSupportPhone + ", " + kSupportWeb);
    return result;
  }
  if (family == ((kMakerCode << 16) | (kKindKant << 8))) {
    result.lines.push_back(IdentifiedAs("КАНТ", modification, serial));
  } else if (family == ((kMakerCode << 16) | (kKindPorta << 8))) {
    result.lines.push_back(IdentifiedAs("ПОРТА", modification, serial));
  } else {
    result.lines.push_back(
        Format("Прибор не опознан HID=%.8X, SID=%.8X, Serial= %u.", hid, sid, serial));
  }
  AddRejection(result);
  return result;
}

}  // namespace vela
