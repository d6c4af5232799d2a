#include "app/commission/SettingsProfile.h"

#include <algorithm>
#include <cstdio>
#include <functional>

#include "app/DeviceIdentification.h"
#include "app/Messages.h"
#include "common/SafeFile.h"

namespace vela {
namespace {

constexpr size_t kMaxProfileSize = 1 << 20;

// One setting of the profile: its place in the file, how the window shows
// it, what it may hold and how it goes into the window.
struct TField {
  const char* key;  // "speed", "iec.cot_length"
  std::function<TJson(const TVelaEngine&)> read;
  // Empty when the value may be written; else what is wrong with it.
  std::function<std::string(const TJson&, const TVelaEngine&)> check;
  std::function<void(const TJson&, TVelaEngine&)> apply;
};

std::string ListText(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
  return text;
}

std::string TextText(const TJson& v) {
  return v.is_string() ? v.get<std::string>() : std::string();
}

bool IsIn(const std::vector<std::string>& items, const std::string& text) {
  return std::find(items.begin(), items.end(), text) != items.end();
}

TField Integer(const char* key, int low, int high, std::function<int(const TVelaEngine&)> get,
               std::function<void(int, TVelaEngine&)> set) {
  return {key, [get](const TVelaEngine& f) { return TJson(get(f)); },
          [low, high](const TJson& v, const TVelaEngine&) {
            const auto n = JsonInteger(v);
            if (n && *n >= low && *n <= high) return std::string();
            return "нужно целое число от " + std::to_string(low) + " до " + std::to_string(high);
          },
          [set](const TJson& v, TVelaEngine& f) { set(static_cast<int>(*JsonInteger(v)), f); }};
}

TField Choice(const char* key, std::vector<int> allowed, std::function<int(const TVelaEngine&)> get,
              std::function<void(int, TVelaEngine&)> set) {
  return {key, [get](const TVelaEngine& f) { return TJson(get(f)); },
          [allowed](const TJson& v, const TVelaEngine&) {
            const auto n = JsonInteger(v);
            std::vector<std::string> texts;
            for (int a : allowed) texts.push_back(std::to_string(a));
            if (n && IsIn(texts, std::to_string(*n))) return std::string();
            return "нужно одно из значений " + ListText(texts);
          },
          [set](const TJson& v, TVelaEngine& f) { set(static_cast<int>(*JsonInteger(v)), f); }};
}

// One change to the device settings the engine will write.
template <class Edit>
void Change(TVelaEngine& f, Edit change) {
  TDeviceSettingsModel settings = f.DeviceSettings();
  change(settings);
  f.SetDeviceSettings(settings);
}

const std::vector<TField>& Fields() {
  using F = const TVelaEngine&;
  static const std::vector<TField> kFields = {
      {"protocol", [](F f) { return TJson(f.DeviceSettings().ProtocolText()); },
       [](const TJson& v, F) {
         return IsIn(kProtocolNames, TextText(v))
                    ? std::string()
                    : "нужно одно из значений " + ListText(kProtocolNames);
       },
       [](const TJson& v, TVelaEngine& f) {
         Change(f, [&](TDeviceSettingsModel& d) {
           d.protocol = IndexOfText(kProtocolNames, TextText(v));
         });
       }},
      {"speed", [](F f) { return TJson(std::stoi(f.DeviceSettings().SpeedText())); },
       [](const TJson& v, F) {
         const auto n = JsonInteger(v);
         return n && IsIn(kDeviceSpeeds, std::to_string(*n))
                    ? std::string()
                    : "нужно одно из чисел " + ListText(kDeviceSpeeds);
       },
       [](const TJson& v, TVelaEngine& f) {
         Change(f, [&](TDeviceSettingsModel& d) {
           d.speedIndex = IndexOfText(kDeviceSpeeds, std::to_string(*JsonInteger(v)));
         });
       }},
      // Checked against the protocol separately: it depends on two fields.
      {"frame", [](F f) { return TJson(f.DeviceSettings().FrameText()); },
       [](const TJson& v, F) {
         return IsIn(FramesOfProtocol(0), TextText(v)) || IsIn(FramesOfProtocol(1), TextText(v))
                    ? std::string()
                    : "нужно одно из значений 8E1, 8O1, 8N2, 7E1, 7O1, 7N2";
       },
       [](const TJson& v, TVelaEngine& f) {
         Change(f, [&](TDeviceSettingsModel& d) {
           const int frame = IndexOfText(FramesOfProtocol(d.protocol), TextText(v));
           if (frame >= 0) d.frame = frame;
         });
       }},
      Integer(
          "address", 1, 247, [](F f) { return f.DeviceSettings().address; },
          [](int a, TVelaEngine& f) {
            Change(f, [&](TDeviceSettingsModel& d) { d.address = a; });
          }),
      Choice(
          "network", {3, 4},
          [](F f) { return f.DeviceSettings().threeWire.value_or(false) ? 3 : 4; },
          [](int n, TVelaEngine& f) {
            Change(f, [&](TDeviceSettingsModel& d) { d.threeWire = n == 3; });
          }),
      Integer(
          "iec.link_address_length", 0, 2,
          [](F f) { return f.IecDeviceOptions().LinkAddressLength; },
          [](int n, TVelaEngine& f) { f.IecDeviceOptions().LinkAddressLength = n; }),
      Integer(
          "iec.cot_length", 1, 2, [](F f) { return f.IecDeviceOptions().CotLength; },
          [](int n, TVelaEngine& f) { f.IecDeviceOptions().CotLength = n; }),
      Integer(
          "iec.common_address_length", 1, 2,
          [](F f) { return f.IecDeviceOptions().CommonAddressLength; },
          [](int n, TVelaEngine& f) { f.IecDeviceOptions().CommonAddressLength = n; }),
      Integer(
          "iec.ioa_length", 1, 3, [](F f) { return f.IecDeviceOptions().IoaLength; },
          [](int n, TVelaEngine& f) { f.IecDeviceOptions().IoaLength = n; }),
      Choice(
          "iec.asdu_type", {13, 14}, [](F f) { return f.IecDeviceOptions().AsduFormat; },
          [](int n, TVelaEngine& f) { f.IecDeviceOptions().AsduFormat = n; }),
      {"iec.cyclic", [](F f) { return TJson(f.IecDeviceOptions().CyclicTransmission); },
       [](const TJson& v, F) { return v.is_boolean() ? std::string() : "нужно true или false"; },
       [](const TJson& v, TVelaEngine& f) {
         f.IecDeviceOptions().CyclicTransmission = v.get<bool>();
       }},
      Integer(
          "iec.cycle_interval", 0, 65535, [](F f) { return f.IecDeviceOptions().CyclicInterval; },
          [](int n, TVelaEngine& f) { f.IecDeviceOptions().CyclicInterval = n; }),
      Integer(
          "iec.common_address", 1, 65533, [](F f) { return f.IecDeviceOptions().CommonAddress; },
          [](int n, TVelaEngine& f) { f.IecDeviceOptions().CommonAddress = n; }),
  };
  return kFields;
}

// The setting as the window calls it.
std::string NameOf(const std::string& key) {
  static const std::vector<std::pair<std::string, std::string>> kNames = {
      {"protocol", "протокол"},
      {"speed", "скорость"},
      {"frame", "формат"},
      {"address", "адрес"},
      {"network", "схема сети"},
      {"iec.link_address_length", "IEC: адрес канального уровня, байт"},
      {"iec.cot_length", "IEC: причина передачи ASDU, байт"},
      {"iec.common_address_length", "IEC: общий адрес ASDU, байт"},
      {"iec.ioa_length", "IEC: адрес объекта информации, байт"},
      {"iec.asdu_type", "IEC: формат данных (ASDU)"},
      {"iec.cyclic", "IEC: циклическая передача данных"},
      {"iec.cycle_interval", "IEC: интервал циклической передачи"},
      {"iec.common_address", "IEC: общий адрес ASDU"},
  };
  for (const auto& [known, name] : kNames) {
    if (known == key) return name;
  }
  return key;
}

std::string ValueText(const TJson& v) {
  std::string text = WriteProfileJson(v);
  text.pop_back();  // the line break
  return text;
}

// The part of the key after "iec.", or the key itself.
std::string LeafOf(const std::string& key) {
  return key.rfind("iec.", 0) == 0 ? key.substr(4) : key;
}

// The settings the window shows, in the file's layout.
TJson CurrentSettings(const TVelaEngine& f) {
  TJson root = TJson::object();
  TJson iec = TJson::object();
  for (const TField& field : Fields()) {
    const std::string key = field.key;
    (key.rfind("iec.", 0) == 0 ? iec : root)[LeafOf(key)] = field.read(f);
  }
  root["iec"] = std::move(iec);
  return root;
}

// The member of an object, or nothing.
const TJson* Find(const TJson& object, const std::string& key) {
  const auto member = object.find(key);
  return member != object.end() ? &*member : nullptr;
}

const TJson* Lookup(const TJson& root, const std::string& key) {
  if (key.rfind("iec.", 0) != 0) return Find(root, key);
  const TJson* iec = Find(root, "iec");
  return iec ? Find(*iec, LeafOf(key)) : nullptr;
}

// Every field given in the file, checked; unknown keys and wrong values
// raise TProfileError naming the field.
std::vector<std::pair<size_t, TJson>> CheckProfile(const TJson& root, const TVelaEngine& f) {
  if (!root.is_object()) {
    throw TProfileError("профиль должен быть объектом JSON { ... }");
  }
  const auto known = [](const std::string& key) {
    for (const TField& field : Fields()) {
      if (key == field.key) return true;
    }
    return false;
  };
  for (const auto& [key, value] : root.items()) {
    if (key == "device") continue;  // the identification, for information only
    if (key == "iec") {
      if (!value.is_object()) throw TProfileError("поле \"iec\": нужен объект { ... }");
      for (const auto& member : value.items()) {
        if (!known("iec." + member.key())) {
          throw TProfileError("неизвестное поле \"iec." + member.key() + "\"");
        }
      }
    } else if (!known(key)) {
      throw TProfileError("неизвестное поле \"" + key + "\"");
    }
  }
  std::vector<std::pair<size_t, TJson>> given;
  for (size_t place = 0; place < Fields().size(); ++place) {
    const TField& field = Fields()[place];
    const TJson* value = Lookup(root, field.key);
    if (!value) continue;
    const std::string wrong = field.check(*value, f);
    if (!wrong.empty()) {
      throw TProfileError("поле \"" + std::string(field.key) + "\": значение " + ValueText(*value) +
                          " недопустимо, " + wrong);
    }
    given.emplace_back(place, *value);
  }
  return given;
}

// The frame must fit the protocol written, or the one the device keeps.
void CheckFrameOfProtocol(const TJson& root, const TVelaEngine& f) {
  const TJson* found = Find(root, "frame");
  if (!found) return;
  const std::string frame = TextText(*found);
  const TJson* protocol = Find(root, "protocol");
  const std::string name = protocol ? TextText(*protocol) : f.DeviceSettings().ProtocolText();
  const auto& names = kProtocolNames;
  const int index = static_cast<int>(std::find(names.begin(), names.end(), name) - names.begin());
  if (!IsIn(FramesOfProtocol(index), frame)) {
    throw TProfileError("поле \"frame\": формат " + frame + " не подходит к протоколу " + name +
                        ", нужно одно из значений " + ListText(FramesOfProtocol(index)));
  }
}

TJson DeviceIdentification(const TVelaEngine& f) {
  TJson device = TJson::object();
  char text[32];
  std::snprintf(text, sizeof text, "%.6u", f.FDevInfo->GetSerial());
  device["serial_number"] = text;
  std::snprintf(text, sizeof text, "%.8X", f.FDevInfo->GetHID());
  device["hid"] = text;
  std::snprintf(text, sizeof text, "%.8X", f.FDevInfo->GetSID());
  device["sid"] = text;
  const TSoftwareIdentity software =
      SoftwareIdentity(f.FDevInfo->GetSID(), f.FDevInfo->GetDigitalId());
  device["version"] = software.version;
  device["digital_id"] = software.digitalId;
  return device;
}

std::string ReadProfileText(const std::string& fileName) {
  std::string text;
  const TFileStatus status = ReadRegularFile(fileName, kMaxProfileSize, text);
  switch (status.fault) {
    case TFileFault::None:
      return text;
    case TFileFault::TooLarge:
      throw TProfileError("файл больше 1 МБ — это не профиль");
    case TFileFault::NotRegular:
      throw TProfileError("файл не открывается: " + FileStatusText(status));
    default:
      throw TProfileError("файл не открывается");
  }
}

}  // namespace

std::string ProfileText(const TVelaEngine& engine) {
  TJson profile = CurrentSettings(engine);
  if (engine.FDevInfoRead) profile["device"] = DeviceIdentification(engine);
  return WriteProfileJson(profile);
}

TSettingsProfile TSettingsProfile::FromFile(const std::string& fileName,
                                            const TVelaEngine& engine) {
  TSettingsProfile profile;
  profile.root_ = ParseProfileJson(ReadProfileText(fileName));
  profile.given_ = CheckProfile(profile.root_, engine);
  return profile;
}

void TSettingsProfile::CheckFrameFitsProtocol(const TVelaEngine& engine) const {
  CheckFrameOfProtocol(root_, engine);
}

std::vector<TProfileDifference> TSettingsProfile::Differences(const TVelaEngine& engine) const {
  const TJson now = CurrentSettings(engine);
  std::vector<TProfileDifference> differences;
  for (const auto& [place, wanted] : given_) {
    const std::string key = Fields()[place].key;
    const TJson* value = Lookup(now, key);
    if (value && ValueText(*value) == ValueText(wanted)) continue;
    differences.push_back({key, NameOf(key), value ? ValueText(*value) : "?", ValueText(wanted)});
  }
  return differences;
}

void TSettingsProfile::ApplyTo(TVelaEngine& engine) const {
  for (const auto& [place, wanted] : given_) Fields()[place].apply(wanted, engine);
}

}  // namespace vela
