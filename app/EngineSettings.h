#pragma once
// The settings the engine works with, as values: the program-side link (how
// the program talks over the port) and the device-side settings (what the
// device's working interface is set to), with the choices each offers.

#include <optional>
#include <string>
#include <vector>

namespace vela {

// Protocols, by index: 0 MODBUS RTU, 1 MODBUS ASCII, 2 IEC 60870-5-101.
inline const std::vector<std::string> kProtocolNames = {"MODBUS RTU", "MODBUS ASCII",
                                                        "IEC 60870-5-101"};
// The speeds a device can be set to; the program's port takes each of them.
inline const std::vector<std::string> kDeviceSpeeds = {"9600",  "19200",  "38400", "57600",
                                                       "76800", "115200", "230400"};
inline const std::vector<std::string>& kProgramSpeeds = kDeviceSpeeds;
// Character frames by index (parity and stop bits), with 8 or 7 data bits.
inline const std::vector<std::string> kFrames8 = {"8E1", "8O1", "8N2"};
inline const std::vector<std::string> kFrames7 = {"7E1", "7O1", "7N2"};
// The frames a protocol uses: 7 data bits for MODBUS ASCII.
inline const std::vector<std::string>& FramesOfProtocol(int protocol) {
  return protocol == 1 ? kFrames7 : kFrames8;
}
// The network types: 3-wire (line quantities only) and 4-wire.
inline const std::vector<std::string> kNetworkNames = {"3-х проводная сеть", "4-х проводная сеть"};
constexpr int kFactorySpeedIndex = 2;  // 38400, in both lists

// The item at index, or "" when there is none.
inline std::string ItemText(const std::vector<std::string>& items, int index) {
  return index >= 0 && index < static_cast<int>(items.size()) ? items[static_cast<size_t>(index)]
                                                              : std::string();
}
// The index of text among items, or -1.
inline int IndexOfText(const std::vector<std::string>& items, const std::string& text) {
  for (size_t i = 0; i < items.size(); ++i) {
    if (items[i] == text) return static_cast<int>(i);
  }
  return -1;
}
constexpr int kMaxAddress = 247;

// How the program talks over its port.
struct TProgramLink {
  std::string port;    // "COM5"
  bool rs485 = false;  // false: the USB service interface (MODBUS RTU, 38400, 8E1, 1)
  int protocol = 0;    // into kProtocolNames
  int speedIndex = kFactorySpeedIndex;  // into kProgramSpeeds
  int frame = 0;                        // into kFrames8 or kFrames7
  int address = 1;                      // 1..247

  bool operator==(const TProgramLink&) const = default;
  // The texts as the front ends show them ("" where not set).
  std::string ProtocolText() const { return ItemText(kProtocolNames, protocol); }
  std::string SpeedText() const { return ItemText(kProgramSpeeds, speedIndex); }
  std::string FrameText() const { return ItemText(FramesOfProtocol(protocol), frame); }
  std::string AddressText() const { return address >= 1 ? std::to_string(address) : ""; }
};

// The device's working-interface settings and network type. An index of -1
// and an empty threeWire mean "not known" (the device was forgotten).
struct TDeviceSettingsModel {
  int protocol = 0;                     // into kProtocolNames
  int speedIndex = kFactorySpeedIndex;  // into kDeviceSpeeds
  int frame = 0;                        // into kFrames8 or kFrames7
  int address = 1;                      // 1..247; 0: none
  std::optional<bool> threeWire = false;

  bool operator==(const TDeviceSettingsModel&) const = default;
  // The texts as the front ends show them ("" where not known).
  std::string ProtocolText() const { return ItemText(kProtocolNames, protocol); }
  std::string SpeedText() const { return ItemText(kDeviceSpeeds, speedIndex); }
  std::string FrameText() const { return ItemText(FramesOfProtocol(protocol), frame); }
  std::string NetworkText() const {
    return threeWire.value_or(false) ? kNetworkNames[0] : kNetworkNames[1];
  }
};

// What writing the factory settings changes on the working interface, for the
// operator to confirm: the factory values, and what the device has now when
// its settings were read (now null: not read).
inline std::string FactoryChangeText(const TDeviceSettingsModel* now) {
  const TDeviceSettingsModel factory;
  const auto line = [](const TDeviceSettingsModel& s) {
    return "протокол " + s.ProtocolText() + ", скорость " + s.SpeedText() + ", формат " +
           s.FrameText() + ", адрес " + std::to_string(s.address) + ", " + s.NetworkText();
  };
  std::string text = "Заводские установки рабочего интерфейса: " + line(factory) + ".";
  if (now && now->protocol >= 0 && now->speedIndex >= 0 && now->frame >= 0 && now->address >= 1) {
    text += "\r\nСейчас в приборе: " + line(*now) + ".";
  }
  return text;
}

}  // namespace vela
