#pragma once
// Settings profiles. Saved: the device-side settings the window shows and the
// device's identification when it was read, as the JSON text `settings
// --save` and the window's "сохранить профиль…" write. Applied: a profile
// file checked against the window's lists, compared with the settings read
// from the device and put into the engine for its write operation, as
// `configure --from` and the window's "применить профиль…" do.

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "app/Engine.h"
#include "app/commission/ProfileJson.h"

namespace vela {

std::string ProfileText(const TVelaEngine& engine);

// What is wrong with a profile, naming the field, in Russian.
class TProfileError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A setting whose value in the engine is not the profile's; both values as
// the file writes them ("9600", "\"8E1\"").
struct TProfileDifference {
  std::string key;   // "speed", "iec.cot_length"
  std::string name;  // "скорость", "IEC: причина передачи ASDU, байт"
  std::string device;
  std::string profile;
};

class TSettingsProfile {
 public:
  // Reads the file and checks every field it gives; throws TProfileError
  // (or TJsonError for text that is no JSON).
  static TSettingsProfile FromFile(const std::string& fileName, const TVelaEngine& engine);
  // The frame must fit the protocol the profile writes, or the one the device
  // keeps: checked once the device's settings are read. Throws TProfileError.
  void CheckFrameFitsProtocol(const TVelaEngine& engine) const;
  // The settings given whose value in the engine differs, in the file's order
  // of fields.
  std::vector<TProfileDifference> Differences(const TVelaEngine& engine) const;
  // Puts every setting given into the engine, protocol first: the frame
  // texts follow it.
  void ApplyTo(TVelaEngine& engine) const;

 private:
  TJson root_;
  std::vector<std::pair<size_t, TJson>> given_;  // the field's place in the table, the value
};

}  // namespace vela
