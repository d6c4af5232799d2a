#include "app/cli/CliDefaults.h"

#include <cstdlib>
#include <fstream>

#include "app/cli/CliOptions.h"
#include "common/UserHome.h"

namespace vela::cli {
namespace {

constexpr const char* kKeys[] = {"port", "interface", "protocol", "speed", "frame", "address"};

std::string Environment(const std::string& name) {
  const char* value = std::getenv(name.c_str());
  return value ? value : "";
}

std::string Trimmed(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool IsKey(const std::string& key) {
  for (const char* known : kKeys) {
    if (key == known) return true;
  }
  return false;
}

// key -> value of the file; nothing when there is no file.
std::map<std::string, std::string> FileSettings(const std::string& path) {
  std::map<std::string, std::string> settings;
  std::ifstream file(path);
  std::string line;
  for (int number = 1; std::getline(file, line); ++number) {
    line = Trimmed(line.substr(0, line.find('#')));
    if (line.empty()) continue;
    const size_t equals = line.find('=');
    const std::string key = Trimmed(line.substr(0, equals));
    if (equals == std::string::npos || !IsKey(key)) {
      throw TCliUsageError(path + ", строка " + std::to_string(number) +
                           ": нужно \"параметр = значение\"; параметры: port, interface, "
                           "protocol, speed, frame, address.");
    }
    settings[key] = Trimmed(line.substr(equals + 1));
  }
  return settings;
}

std::string Upper(std::string text) {
  for (char& c : text) c = static_cast<char>(c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c);
  return text;
}

}  // namespace

std::string CliConfigPath() {
  if (const std::string config = Environment("XDG_CONFIG_HOME"); config.rfind('/', 0) == 0) {
    return config + "/velalink/cli.conf";
  }
  const std::string home = UserHome(Environment("HOME"));
  return home.empty() ? std::string() : home + "/.config/velalink/cli.conf";
}

std::map<std::string, std::string> LinkDefaults() {
  const std::string path = CliConfigPath();
  const std::map<std::string, std::string> file =
      path.empty() ? std::map<std::string, std::string>() : FileSettings(path);
  std::map<std::string, std::string> defaults;
  for (const char* key : kKeys) {
    if (std::string value = Environment("VELALINK_" + Upper(key)); !value.empty()) {
      defaults["--" + std::string(key)] = value;
    } else if (const auto it = file.find(key); it != file.end() && !it->second.empty()) {
      defaults["--" + std::string(key)] = it->second;
    }
  }
  return defaults;
}

}  // namespace vela::cli
