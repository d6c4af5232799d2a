#include "app/cli/CliOptions.h"

#include <algorithm>
#include <cstdlib>
#include <map>

namespace vela::cli {
namespace {

const std::vector<std::string> kProgramSpeeds = {"9600", "19200", "38400", "57600", "115200"};
const std::vector<std::string> kDeviceSpeeds = {"9600",  "19200",  "38400", "57600",
                                                "76800", "115200", "230400"};
const std::map<std::string, TCommand> kCommands = {{"read", TCommand::Read},
                                                   {"watch", TCommand::Watch},
                                                   {"sync-clock", TCommand::SyncClock},
                                                   {"settings", TCommand::Settings},
                                                   {"configure", TCommand::Configure},
                                                   {"factory", TCommand::Factory},
                                                   {"verify", TCommand::Verify}};

[[noreturn]] void Fail(const std::string& text) {
  throw TCliUsageError(text);
}

bool IsIn(const std::vector<std::string>& list, const std::string& value) {
  return std::find(list.begin(), list.end(), value) != list.end();
}

int ParseNumber(const std::string& option, const std::string& text, int low, int high) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < low || value > high) {
    Fail("Недопустимое значение " + option + " \"" + text + "\": нужно число от " +
         std::to_string(low) + " до " + std::to_string(high) + ".");
  }
  return static_cast<int>(value);
}

double ParseSeconds(const std::string& option, const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !(value > 0) || value > 1e6) {
    Fail("Недопустимое значение " + option + " \"" + text + "\": нужно число секунд больше 0.");
  }
  return value;
}

// Protocol texts: rtu, ascii, iec101; index 0, 1, 2.
int ParseProtocol(const std::string& option, const std::string& text) {
  if (text == "rtu") return 0;
  if (text == "ascii") return 1;
  if (text == "iec101") return 2;
  Fail("Недопустимый протокол " + option + " \"" + text + "\": rtu, ascii или iec101.");
}

int ParseFrameFor(const std::string& option, const std::string& text, bool ascii) {
  const auto frame = ParseFrameText(text);
  if (!frame) {
    Fail("Недопустимый формат " + option + " \"" + text + "\": 8E1, 8O1, 8N2, 7E1, 7O1 или 7N2.");
  }
  if (frame->dataBits != (ascii ? 7 : 8)) {
    Fail("Формат " + text +
         " не подходит к протоколу: MODBUS ASCII передаёт 7 бит данных, "
         "MODBUS RTU и IEC 60870-5-101 — 8.");
  }
  return frame->index;
}

struct TRawOptions {
  std::map<std::string, std::string> values;
  std::vector<std::string> flags;
  std::vector<std::string> words;
};

TRawOptions Split(const std::vector<std::string>& args) {
  static const std::vector<std::string> kFlags = {"--stats", "--trace", "--fast"};
  static const std::vector<std::string> kValued = {
      "--port",      "--interface", "--protocol",    "--speed",      "--frame",
      "--address",   "--csv",       "--seconds",     "--timeout",    "--set-protocol",
      "--set-speed", "--set-frame", "--set-address", "--set-network"};
  TRawOptions raw;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (IsIn(kFlags, a)) {
      raw.flags.push_back(a);
    } else if (IsIn(kValued, a)) {
      if (i + 1 >= args.size()) Fail("Для " + a + " не указано значение.");
      if (!raw.values.emplace(a, args[++i]).second) Fail("Параметр " + a + " указан дважды.");
    } else if (a.rfind("--", 0) == 0) {
      Fail("Неизвестный параметр " + a + ".");
    } else {
      raw.words.push_back(a);
    }
  }
  return raw;
}

void ParseProgramLink(const TRawOptions& raw, TCliOptions& o) {
  auto has = [&](const char* k) { return raw.values.count(k) > 0; };
  if (has("--port")) o.port = raw.values.at("--port");
  if (has("--interface")) {
    const std::string& i = raw.values.at("--interface");
    if (i != "usb" && i != "rs485") Fail("Недопустимый интерфейс \"" + i + "\": usb или rs485.");
    o.rs485 = i == "rs485";
  }
  if (has("--protocol")) {
    const int protocol = ParseProtocol("--protocol", raw.values.at("--protocol"));
    if (protocol == 2) {
      Fail(
          "Протокол IEC 60870-5-101 в velalink-cli пока недоступен: программа работает с "
          "прибором только по MODBUS.");
    }
    o.ascii = protocol == 1;
  }
  if (has("--speed")) {
    o.speed = raw.values.at("--speed");
    if (!IsIn(kProgramSpeeds, o.speed)) {
      Fail("Недопустимая скорость --speed \"" + o.speed +
           "\": 9600, 19200, 38400, 57600 или "
           "115200.");
    }
  }
  if (has("--frame")) o.frame = ParseFrameFor("--frame", raw.values.at("--frame"), o.ascii);
  if (!has("--frame") && o.ascii) o.frame = 0;
  if (has("--address")) o.address = ParseNumber("--address", raw.values.at("--address"), 1, 247);
  const bool changed = o.ascii || o.speed != "38400" || o.frame != 0 || o.address != 1;
  if (!o.rs485 && changed) {
    Fail(
        "Через интерфейс USB программа работает только по MODBUS RTU, 38400, 8E1, адрес 1;\n"
        "для других параметров связи укажите --interface rs485.");
  }
}

void ParseDeviceSettings(const TRawOptions& raw, TCliOptions& o) {
  auto value = [&](const char* k) -> const std::string* {
    const auto it = raw.values.find(k);
    return it == raw.values.end() ? nullptr : &it->second;
  };
  TDeviceSettings& s = o.set;
  if (auto* v = value("--set-protocol")) s.protocol = ParseProtocol("--set-protocol", *v);
  if (auto* v = value("--set-speed")) {
    if (!IsIn(kDeviceSpeeds, *v)) {
      Fail("Недопустимая скорость --set-speed \"" + *v +
           "\": 9600, 19200, 38400, 57600, 76800, 115200 или 230400.");
    }
    s.speed = *v;
  }
  if (auto* v = value("--set-frame")) {
    // The data bits must fit the protocol written, or the one the device keeps.
    const auto frame = ParseFrameText(*v);
    if (frame) s.frameDataBits = frame->dataBits;
    if (frame && s.protocol) {
      s.frame = ParseFrameFor("--set-frame", *v, *s.protocol == 1);
    } else if (frame) {
      s.frame = frame->index;
    } else {
      ParseFrameFor("--set-frame", *v, false);
    }
  }
  if (auto* v = value("--set-address")) s.address = ParseNumber("--set-address", *v, 1, 247);
  if (auto* v = value("--set-network")) {
    if (*v != "3" && *v != "4")
      Fail("Недопустимый тип сети --set-network \"" + *v + "\": 3 или 4.");
    s.threeWire = *v == "3";
  }
  if (o.command == TCommand::Configure && s.Empty()) {
    Fail(
        "Для configure укажите хотя бы один из параметров --set-protocol, --set-speed, "
        "--set-frame, --set-address, --set-network.");
  }
  if (o.command != TCommand::Configure && !s.Empty()) {
    Fail("Параметры --set-... относятся только к команде configure.");
  }
}

}  // namespace

std::optional<TFrameText> ParseFrameText(const std::string& text) {
  static const std::vector<std::string> kTails = {"E1", "O1", "N2"};
  if (text.size() != 3 || (text[0] != '7' && text[0] != '8')) return std::nullopt;
  const auto it = std::find(kTails.begin(), kTails.end(), text.substr(1));
  if (it == kTails.end()) return std::nullopt;
  return TFrameText{text[0] - '0', static_cast<int>(it - kTails.begin())};
}

TCliOptions ParseCliOptions(const std::vector<std::string>& args) {
  const TRawOptions raw = Split(args);
  if (raw.words.empty()) Fail("Не указана команда.");
  if (raw.words.size() > 1) Fail("Лишний аргумент \"" + raw.words[1] + "\".");
  const auto command = kCommands.find(raw.words[0]);
  if (command == kCommands.end()) Fail("Неизвестная команда \"" + raw.words[0] + "\".");
  TCliOptions o;
  o.command = command->second;
  ParseProgramLink(raw, o);
  ParseDeviceSettings(raw, o);
  const bool watch = o.command == TCommand::Watch;
  if (raw.values.count("--csv")) {
    if (!watch) Fail("Параметр --csv относится только к команде watch.");
    o.csvFile = raw.values.at("--csv");
    if (o.csvFile.empty()) Fail("Для --csv не указано имя файла.");
  }
  if (raw.values.count("--seconds")) {
    if (!watch) Fail("Параметр --seconds относится только к команде watch.");
    o.seconds = ParseSeconds("--seconds", raw.values.at("--seconds"));
  }
  if (raw.values.count("--timeout")) {
    o.timeoutSeconds = ParseSeconds("--timeout", raw.values.at("--timeout"));
  }
  o.stats = IsIn(raw.flags, "--stats");
  o.trace = IsIn(raw.flags, "--trace");
  o.fast = IsIn(raw.flags, "--fast");
  return o;
}

std::string UsageText() {
  return "Использование: velalink-cli [параметры связи] КОМАНДА [параметры команды]\n"
         "\n"
         "Команды:\n"
         "  read          прочитать преобразованные величины однократно\n"
         "  watch         читать непрерывно до Ctrl-C (SIGINT) или SIGTERM\n"
         "                  --csv ФАЙЛ     записывать показания в файл CSV\n"
         "                  --seconds С    остановиться через С секунд\n"
         "                  --stats        в конце напечатать время цикла чтения\n"
         "  sync-clock    записать время компьютера во встроенные часы прибора\n"
         "  settings      прочитать и показать установки прибора\n"
         "  configure     записать установки прибора (остальные остаются прежними):\n"
         "                  --set-protocol rtu|ascii|iec101\n"
         "                  --set-speed 9600|19200|38400|57600|76800|115200|230400\n"
         "                  --set-frame 8E1|8O1|8N2|7E1|7O1|7N2\n"
         "                  --set-address 1..247\n"
         "                  --set-network 3|4   (3-х или 4-х проводная сеть)\n"
         "  factory       записать в прибор заводские установки\n"
         "  verify        идентификация программы и ПО прибора\n"
         "\n"
         "Параметры связи (по умолчанию USB, MODBUS RTU, 38400, 8E1, адрес 1):\n"
         "  --port COMn                 порт (по умолчанию первый найденный)\n"
         "  --interface usb|rs485       интерфейс прибора: технологический или рабочий\n"
         "  --protocol rtu|ascii        протокол программы\n"
         "  --speed 9600|19200|38400|57600|115200\n"
         "  --frame 8E1|8O1|8N2|7E1|7O1|7N2\n"
         "  --address 1..247\n"
         "  Через USB действуют только значения по умолчанию.\n"
         "\n"
         "Прочее:\n"
         "  --timeout С   прервать команду, не завершённую за С секунд (60)\n"
         "  --trace       печатать обмен с прибором в stderr\n"
         "  --fast        быстрый обмен: ответ принимается, как только кадр полон,\n"
         "                а не после паузы 50 мс\n"
         "\n"
         "Код возврата: 0 — команда выполнена, 1 — не выполнена, 2 — ошибка в командной строке.\n";
}

}  // namespace vela::cli
