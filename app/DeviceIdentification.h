#pragma once
// Judges the identification block of the connected device: a supported Vela,
// a newer Vela modification (reported, still served), or another device
// (reported, the operation stops).

#include <cstdint>
#include <string>
#include <vector>

namespace vela {

// Maker code "AR" in bits 31..16 of the hardware identifier.
inline constexpr uint32_t kMakerCode = 0x4152;
inline constexpr uint32_t kKindVela = 1;
inline constexpr uint32_t kKindKant = 2;
inline constexpr uint32_t kKindPorta = 3;
// The hardware identifier of a Vela with its modification byte cleared.
inline constexpr uint32_t kVelaHardwareCode = (kMakerCode << 16) | (kKindVela << 8);
// Vela modification indexes this program supports (numbers №1 and №2).
inline constexpr uint32_t kHighestSupportedModification = 1;

inline constexpr const char* kSupportPhone = "+7 (800) 555-01-47";
inline constexpr const char* kSupportWeb = "https://sirta.example/velalink";

enum class TIdentVerdict { Supported, NewerModification, Rejected };

struct TIdentResult {
  TIdentVerdict verdict = TIdentVerdict::Supported;
  std::vector<std::string> lines;  // for the activity log, in order
};

TIdentResult IdentifyDevice(uint32_t hid, uint32_t sid, uint32_t serial);

// The device software's name and identification name, the same in every Vela.
inline constexpr const char* kDeviceSoftwareName =
    "ПО преобразователя измерительного многофункционального Vela";
inline constexpr const char* kDeviceSoftwareIdName = "Vela_sappl";
inline constexpr const char* kDeviceDigestAlgorithm = "хэширование";

// The device software as the identification report shows it: the version
// "major.minor" from the SID and the digital identifier "0x%.4X", where a
// device that does not report it (FFFFh) is shown with 0x1977.
struct TSoftwareIdentity {
  std::string version;
  std::string digitalId;
  std::string name = kDeviceSoftwareName;
  std::string identificationName = kDeviceSoftwareIdName;
  std::string algorithm = kDeviceDigestAlgorithm;
};
TSoftwareIdentity SoftwareIdentity(uint32_t sid, uint16_t digitalId);

}  // namespace vela
