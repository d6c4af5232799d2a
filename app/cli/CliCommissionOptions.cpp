#include "app/cli/CliCommissionOptions.h"

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "app/cli/CliOptions.h"

namespace vela::cli {
namespace {

[[noreturn]] void Fail(const std::string& text) {
  throw TCliUsageError(text);
}

std::vector<std::string> Items(const std::string& text) {
  std::vector<std::string> items;
  std::stringstream list(text);
  std::string item;
  while (std::getline(list, item, ',')) items.push_back(item);
  if (items.empty() || text.back() == ',') items.push_back("");
  return items;
}

bool ToInt(const std::string& text, long low, long high, int& value) {
  if (text.empty() || text.size() > 9) return false;
  char* end = nullptr;
  const long v = std::strtol(text.c_str(), &end, 10);
  if (*end != '\0' || v < low || v > high || text[0] == '+' || text[0] == '-') return false;
  value = static_cast<int>(v);
  return true;
}

std::vector<int> Protocols(const std::string& text) {
  std::vector<int> protocols;
  for (const std::string& item : Items(text)) {
    if (item != "rtu" && item != "ascii") {
      Fail("Недопустимый протокол --protocols \"" + item + "\": rtu, ascii или rtu,ascii.");
    }
    protocols.push_back(item == "rtu" ? 0 : 1);
  }
  return protocols;
}

std::vector<int> Speeds(const std::string& text) {
  const std::vector<std::string>& offered = DeviceSpeedTexts();
  std::vector<int> speeds;
  for (const std::string& item : Items(text)) {
    if (std::find(offered.begin(), offered.end(), item) == offered.end()) {
      Fail("Недопустимая скорость --speeds \"" + item +
           "\": 9600, 19200, 38400, 57600, 76800, 115200 или 230400 через запятую.");
    }
    speeds.push_back(std::atoi(item.c_str()));
  }
  return speeds;
}

// "1-20", "3,5,7", "1-10,247".
std::vector<int> Addresses(const std::string& text) {
  std::vector<int> addresses;
  for (const std::string& item : Items(text)) {
    const size_t dash = item.find('-');
    int low = 0, high = 0;
    const bool ok = dash == std::string::npos
                        ? ToInt(item, 1, 247, low) && ToInt(item, 1, 247, high)
                        : ToInt(item.substr(0, dash), 1, 247, low) &&
                              ToInt(item.substr(dash + 1), 1, 247, high) && low <= high;
    if (!ok) {
      Fail("Недопустимые адреса --addresses \"" + item +
           "\": номера от 1 до 247 или диапазоны, например 1-20,247.");
    }
    for (int a = low; a <= high; ++a) {
      if (std::find(addresses.begin(), addresses.end(), a) == addresses.end()) {
        addresses.push_back(a);
      }
    }
  }
  return addresses;
}

std::string NonEmptyFile(const std::string& option, const std::string& value) {
  if (value.empty()) Fail("Для " + option + " не указано имя файла.");
  return value;
}

}  // namespace

TCommissionOptions ParseCommissionOptions(const std::string& command,
                                          const std::map<std::string, std::string>& values,
                                          const std::vector<std::string>& flags) {
  TCommissionOptions o;
  auto value = [&](const char* key) -> const std::string* {
    const auto it = values.find(key);
    return it == values.end() ? nullptr : &it->second;
  };
  if (auto* v = value("--protocols")) o.find.protocols = Protocols(*v);
  if (auto* v = value("--speeds")) o.find.speeds = Speeds(*v);
  if (auto* v = value("--addresses")) o.find.addresses = Addresses(*v);
  if (auto* v = value("--probe-timeout")) {
    if (!ToInt(*v, 10, 10000, o.find.probeTimeoutMs)) {
      Fail("Недопустимое значение --probe-timeout \"" + *v + "\": нужно число мс от 10 до 10000.");
    }
  }
  o.find.all = std::find(flags.begin(), flags.end(), "--all") != flags.end();
  o.yes = std::find(flags.begin(), flags.end(), "--yes") != flags.end();
  if (auto* v = value("--save")) o.saveFile = NonEmptyFile("--save", *v);
  if (auto* v = value("--from")) o.profileFile = NonEmptyFile("--from", *v);
  if (command == "report") {
    const std::string* out = value("--out");
    if (!out) Fail("Для report укажите файл отчёта: --out ФАЙЛ.html или --out ФАЙЛ.md.");
    o.reportFile = NonEmptyFile("--out", *out);
    const auto endsWith = [&](const char* tail) {
      const std::string t(tail);
      return o.reportFile.size() > t.size() &&
             o.reportFile.compare(o.reportFile.size() - t.size(), t.size(), t) == 0;
    };
    const bool toStandardOutput = o.reportFile == "-";
    if (!toStandardOutput && !endsWith(".html") && !endsWith(".htm") && !endsWith(".md")) {
      Fail("Файл отчёта --out должен оканчиваться на .html или .md (- : Markdown в stdout).");
    }
  }
  return o;
}

}  // namespace vela::cli
