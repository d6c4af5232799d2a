#include "app/cli/CliOptions.h"

#include <algorithm>
#include <cstdlib>
#include <map>

#include "app/EngineSettings.h"
#include "app/IecWorkflows.h"
#include "app/cli/CliDefaults.h"
#include "iec101/IecSettings.h"

namespace vela::cli {
namespace {

const std::map<std::string, TCommand> kCommands = {{"read", TCommand::Read},
                                                   {"watch", TCommand::Watch},
                                                   {"sync-clock", TCommand::SyncClock},
                                                   {"settings", TCommand::Settings},
                                                   {"configure", TCommand::Configure},
                                                   {"factory", TCommand::Factory},
                                                   {"verify", TCommand::Verify},
                                                   {"ports", TCommand::Ports},
                                                   {"find", TCommand::Find},
                                                   {"report", TCommand::Report},
                                                   {"wiring", TCommand::Wiring}};

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

// The options as given: the texts of the valued ones, the flags and the
// command word. Their meaning is worked out afterwards, when all are known.
struct TRawOptions {
  std::map<std::string, std::string> values;
  std::vector<std::string> flags;
  std::string command;
};

TOption Valued(TRawOptions& raw, std::string name, std::string placeholder, std::string help,
               std::vector<std::string> commands = {}) {
  auto record = [&raw, name](const std::string& value) {
    if (!raw.values.emplace(name, value).second) Fail("Параметр " + name + " указан дважды.");
  };
  return {name, "", std::move(placeholder), std::move(help), record, std::move(commands)};
}

TOption Flag(TRawOptions& raw, std::string name, std::string help,
             std::vector<std::string> commands = {}, std::string alias = "") {
  auto record = [&raw, name](const std::string&) { raw.flags.push_back(name); };
  return {name, std::move(alias), "", std::move(help), record, std::move(commands)};
}

TOptionTable CliOptionTable(TRawOptions& raw) {
  TOptionTable t("velalink-cli [параметры связи] КОМАНДА [параметры команды]");
  t.Section("Команды:");
  t.Command("read", "прочитать преобразованные величины однократно");
  t.Command("watch",
            "читать непрерывно до Ctrl-C (SIGINT) или SIGTERM;\n"
            "строка в stdout после каждого чтения");
  t.Command("sync-clock", "записать время компьютера во встроенные часы прибора");
  t.Command("settings", "прочитать и показать установки прибора");
  t.Command("configure", "записать установки прибора (остальные остаются прежними)");
  t.Command("factory", "записать в прибор заводские установки");
  t.Command("verify", "идентификация программы и ПО прибора");
  t.Command("ports", "показать последовательные порты компьютера и доступ к ним");
  t.Command("find",
            "найти приборы на линии: все протоколы MODBUS, скорости,\n"
            "форматы и адреса (сначала заводские установки, затем\n"
            "адрес 1, затем частые адреса)");
  t.Command("report", "протокол пусконаладки: прибор, установки, показания");
  t.Command("wiring",
            "проверка подключения по одному чтению: векторы напряжений\n"
            "и токов, углы между ними, нарушения (перевёрнутый ТТ или ТН,\n"
            "перепутанные токи, нет фазы, несимметрия)");

  t.Section("Параметры команды watch:");
  t.Add(Valued(raw, "--csv", "ФАЙЛ", "записывать показания в файл CSV (- : в stdout)", {"watch"}));
  t.Add(Valued(raw, "--seconds", "С", "остановиться через С секунд", {"watch"}));
  t.Add(Valued(raw, "--exchanges", "N", "остановиться после N обменов с прибором", {"watch"}));
  t.Add(Flag(raw, "--stats",
             "в конце напечатать время цикла чтения, счёт обменов,\n"
             "память и дескрипторы программы (после первых 1000\n"
             "обменов и в конце)"));

  t.Section("Параметры команды settings:");
  t.Add(Valued(raw, "--save", "ФАЙЛ",
               "сохранить установки прибора в профиль (JSON;\n"
               "- : профиль в stdout вместо установок)",
               {"settings"}));

  t.Section("Параметры команды configure:");
  t.Add(Valued(raw, "--set-protocol", "rtu|ascii|iec101", "протокол прибора", {"configure"}));
  t.Add(Valued(raw, "--set-speed", "9600|19200|38400|57600|76800|115200|230400", "скорость прибора",
               {"configure"}));
  t.Add(Valued(raw, "--set-frame", "8E1|8O1|8N2|7E1|7O1|7N2", "формат прибора", {"configure"}));
  t.Add(Valued(raw, "--set-address", "1..247", "адрес прибора", {"configure"}));
  t.Add(Valued(raw, "--set-network", "3|4", "3-х или 4-х проводная сеть", {"configure"}));
  t.Add(Valued(raw, "--from", "ФАЙЛ",
               "записать установки из профиля, показав отличия и\n"
               "спросив подтверждения; затем прочитать и сверить",
               {"configure"}));
  t.Add(Flag(raw, "--yes", "не спрашивать подтверждения (configure --from, factory)",
             {"configure", "factory"}));
  t.Note("Без --from нужен хотя бы один из параметров --set-...");

  t.Section("Параметры команды find:");
  t.Add(Valued(raw, "--protocols", "rtu,ascii", "протоколы поиска (оба)", {"find"}));
  t.Add(Valued(raw, "--speeds", "9600,19200,...", "скорости поиска (все скорости прибора)",
               {"find"}));
  t.Add(Valued(raw, "--addresses", "1-20,247", "адреса поиска (1-247)", {"find"}));
  t.Add(Flag(raw, "--all", "найти все приборы, а не только первый", {"find"}));
  t.Add(Valued(raw, "--probe-timeout", "МС", "время ожидания ответа на один запрос", {"find"}));

  t.Section("Параметры команды report:");
  t.Add(Valued(raw, "--out", "ФАЙЛ.html|ФАЙЛ.md",
               "файл отчёта (обязателен; - : отчёт в Markdown в stdout)", {"report"}));

  t.Section("Параметры связи (по умолчанию USB, MODBUS RTU, 38400, 8E1, адрес 1):");
  t.Add(Valued(raw, "--port", "COMn|УСТРОЙСТВО",
               "порт: COMn, /dev/ttyUSB0, /dev/serial/by-id/...\n"
               "(по умолчанию адаптер USB, иначе первый найденный)"));
  t.Add(Valued(raw, "--interface", "usb|rs485", "интерфейс прибора: технологический или рабочий"));
  t.Add(Valued(raw, "--protocol", "rtu|ascii|iec101",
               "протокол программы (iec101: только rs485;\n"
               "команды read, watch, sync-clock, wiring)"));
  t.Add(Valued(raw, "--speed", "9600|19200|38400|57600|76800|115200|230400", "скорость программы"));
  t.Add(Valued(raw, "--frame", "8E1|8O1|8N2|7E1|7O1|7N2", "формат программы"));
  t.Add(Valued(raw, "--address", "1..247",
               "адрес прибора (в IEC 60870-5-101 адрес канала: 1..254,\n"
               "с полем адреса 2 байта 1..65534)"));
  t.Add(Valued(raw, "--iec-lengths", "LA,COT,CA,IOA",
               "длины полей IEC 60870-5-101 в байтах (1,1,1,2)"));
  t.Add(Valued(raw, "--iec-common-address", "N", "общий адрес ASDU (1)"));
  t.Add(Valued(raw, "--iec-timeout", "МС",
               "время ожидания ответа прибора без времени передачи, 100..30000 (400)"));
  t.Add(Valued(raw, "--iec-stale", "С",
               "величина, не обновлявшаяся дольше С секунд, скрывается, 1..3600 (10)"));
  t.Add(Valued(raw, "--iec-gi-period", "С",
               "общий опрос при непрерывном чтении раз в С секунд, 0..86400\n"
               "(0: только в начале и после сброса канала; по умолчанию 0)"));
  t.Add(Valued(raw, "--rts", "auto|toggle|kernel|off",
               "направление RS-485 по RTS: режим драйвера, если\n"
               "он есть, иначе программой (auto); только rs485"));
  t.Note(
      "Через USB действуют только значения по умолчанию.\n"
      "Не указанные здесь параметры связи берутся из переменных VELALINK_PORT,\n"
      "VELALINK_INTERFACE, VELALINK_PROTOCOL, VELALINK_SPEED, VELALINK_FRAME,\n"
      "VELALINK_ADDRESS, затем из файла ~/.config/velalink/cli.conf\n"
      "(строки \"port = COM3\"); командная строка важнее.");

  t.Section("Вывод (все команды, кроме sync-clock):");
  t.Add(Valued(raw, "--format", "text|csv|json",
               "text — строки \"величина = значение\" (по умолчанию);\n"
               "csv — заголовок и строка на чтение: время ISO 8601, \";\",\n"
               "точка в числах, перевод строки LF; json — объект на\n"
               "чтение: {\"time\": ISO 8601 с мс, \"values\": {\"Ua\":\n"
               "{\"value\", \"unit\", \"quality\"}, ...}}; по МЭК также\n"
               "\"time\" — метка времени значения, \"quality\": \"inv\" —\n"
               "значение недостоверно (и \"= inv\" в text); wiring: text или json\n"
               "({\"phasors\", \"angles\", \"findings\": [{\"code\", \"phases\",\n"
               "\"text\"}], ...}); configure, factory: text или json — итог записи\n"
               "{\"result\": \"written\"|\"partial\"|\"not-written\", \"blocks\",\n"
               "\"device\"}; settings, verify, report: json — объект,\n"
               "csv — заголовок и строка (verify: программа и прибор);\n"
               "ports, find: json — массив, csv — заголовок и строка на\n"
               "порт или найденный прибор; имена полей — в заголовке CSV",
               {"read", "watch", "wiring", "configure", "factory", "settings", "ports", "verify",
                "find", "report"}));
  t.Note(
      "Показания — в stdout; журнал и ошибки — в stderr (у verify с text отчёт —\n"
      "в stdout).");

  t.Section("Прочее:");
  t.Add(Valued(raw, "--timeout", "С",
               "прервать команду, не завершённую за С секунд (60; по\n"
               "IEC 60870-5-101 не меньше 150 значений --iec-timeout);\n"
               "find и watch — только если указан: find прерывает\n"
               "поиск, watch — если С секунд нет показаний"));
  t.Add(Valued(raw, "--response-timeout", "МС",
               "время ожидания ответа прибора на запрос MODBUS,\n"
               "10..60000 (по умолчанию своё для каждого запроса)"));
  t.Add(Flag(raw, "--trace", "печатать обмен с прибором в stderr"));
  t.Add(Flag(raw, "--exact-timing",
             "точная выдержка: каждый ответ принимается только после\n"
             "паузы 50 мс на линии; по умолчанию ответ принимается,\n"
             "как только его кадр полон и верен"));
  t.Add(Flag(raw, "--fast", "быстрый обмен (по умолчанию; оставлен для сценариев)"));
  t.Add(Flag(raw, "--quiet", "не печатать журнал в stderr (ошибки печатаются)"));
  t.Add(Flag(raw, "--help", "показать эту справку; после команды — справку по ней", {}, "-h"));
  t.Add(Flag(raw, "--version", "показать версию программы", {}, "-V"));
  t.Note(
      "Значение можно указать и так: --port=COM3.\n"
      "Прерванная команда закрывает порт, лишь дождавшись ответа на уже\n"
      "отправленный запрос (не дольше времени ожидания ответа); повторный\n"
      "сигнал (Ctrl-C) закрывает его сразу.");

  t.Epilogue(
      "Код возврата: 0 — команда выполнена (find: прибор найден), 1 — не выполнена\n"
      "(find: не найден), 2 — ошибка в командной строке, 3 — wiring: проверка\n"
      "подключения нашла нарушения.");
  return t;
}

// An option given with a command it does not belong to.
void CheckCommands(const TOptionTable& table, const TRawOptions& raw) {
  for (const TOption& option : table.Options()) {
    const auto& commands = option.commands;
    const bool given = raw.values.count(option.name) > 0 || IsIn(raw.flags, option.name);
    if (!given || commands.empty() || IsIn(commands, raw.command)) continue;
    std::string list = commands.front();
    for (size_t i = 1; i < commands.size(); ++i) {
      list += (i + 1 == commands.size() ? " и " : ", ") + commands[i];
    }
    Fail("Параметр " + option.name + " относится только к " +
         (commands.size() == 1 ? "команде " : "командам ") + list + ".");
  }
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
    o.ascii = protocol == 1;
    if (protocol == 2) o.iec = TIecCliLink{};
  }
  if (has("--speed")) {
    o.speed = raw.values.at("--speed");
    if (!IsIn(kProgramSpeeds, o.speed)) {
      Fail("Недопустимая скорость --speed \"" + o.speed +
           "\": 9600, 19200, 38400, 57600, 76800, 115200 или 230400.");
    }
  }
  if (has("--frame")) o.frame = ParseFrameFor("--frame", raw.values.at("--frame"), o.ascii);
  if (!has("--frame") && o.ascii) o.frame = 0;
  // In IEC 60870-5-101 the link address field decides the range (see ParseIecLink).
  if (has("--address")) {
    o.address =
        ParseNumber("--address", raw.values.at("--address"), o.iec ? 0 : 1, o.iec ? 65534 : 247);
  }
  if (has("--rts")) {
    static const std::map<std::string, RtsControl> kRts = {{"auto", RtsControl::Auto},
                                                           {"toggle", RtsControl::Toggle},
                                                           {"kernel", RtsControl::Kernel},
                                                           {"off", RtsControl::Off}};
    const auto it = kRts.find(raw.values.at("--rts"));
    if (it == kRts.end()) Fail("Недопустимое значение --rts: auto, toggle, kernel или off.");
    if (!o.rs485) Fail("Параметр --rts относится только к --interface rs485.");
    o.rts = it->second;
  }
  const bool changed = o.ascii || o.speed != "38400" || o.frame != 0 || o.address != 1;
  if (!o.rs485 && o.iec) {
    Fail(
        "Через интерфейс USB программа работает только по MODBUS RTU; для IEC 60870-5-101 "
        "укажите --interface rs485.");
  }
  if (!o.rs485 && changed) {
    Fail(
        "Через интерфейс USB программа работает только по MODBUS RTU, 38400, 8E1, адрес 1;\n"
        "для других параметров связи укажите --interface rs485.");
  }
}

void ParseIecLink(const TRawOptions& raw, TCliOptions& o) {
  const auto lengths = raw.values.find("--iec-lengths");
  const auto address = raw.values.find("--iec-common-address");
  const auto answerTime = raw.values.find("--iec-timeout");
  const auto stale = raw.values.find("--iec-stale");
  const auto period = raw.values.find("--iec-gi-period");
  if (!o.iec) {
    if (lengths != raw.values.end() || address != raw.values.end() ||
        answerTime != raw.values.end() || stale != raw.values.end() || period != raw.values.end()) {
      Fail("Параметры --iec-... относятся только к --protocol iec101.");
    }
    return;
  }
  if (o.command != TCommand::Read && o.command != TCommand::Watch &&
      o.command != TCommand::SyncClock && o.command != TCommand::Wiring) {
    Fail(
        "По протоколу IEC 60870-5-101 доступны команды read, watch, sync-clock и wiring; установки "
        "прибора читаются и записываются по MODBUS.");
  }
  TIecCliLink& iec = *o.iec;
  if (lengths != raw.values.end()) {
    const std::string& text = lengths->second;
    const char* const kUsage =
        "\": нужно четыре числа через запятую (LA,COT,CA,IOA), "
        "например 1,1,1,2: LA 0..2, COT 1..2, CA 1..2, IOA 1..3.";
    int* const fields[] = {&iec.linkAddressLength, &iec.cotLength, &iec.commonAddressLength,
                           &iec.ioaLength};
    const int low[] = {0, 1, 1, 1}, high[] = {2, 2, 2, 3};
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
      const size_t comma = i < 3 ? text.find(',', start) : text.size();
      if (comma == std::string::npos)
        Fail("Недопустимое значение --iec-lengths \"" + text + kUsage);
      const std::string part = text.substr(start, comma - start);
      char* end = nullptr;
      const long value = std::strtol(part.c_str(), &end, 10);
      if (part.empty() || *end != '\0' || value < low[i] || value > high[i]) {
        Fail("Недопустимое значение --iec-lengths \"" + text + kUsage);
      }
      *fields[i] = static_cast<int>(value);
      start = comma + 1;
    }
  }
  if (address != raw.values.end()) {
    iec.commonAddress = ParseNumber("--iec-common-address", address->second, 1, 65534);
  }
  if (answerTime != raw.values.end()) {
    iec.answerTimeMs =
        ParseNumber("--iec-timeout", answerTime->second, static_cast<int>(kMinAnswerTimeMs),
                    static_cast<int>(kMaxAnswerTimeMs));
  }
  if (stale != raw.values.end()) {
    iec.staleAfterS =
        ParseNumber("--iec-stale", stale->second, 1, static_cast<int>(kMaxStaleAfterS));
  }
  if (period != raw.values.end()) {
    iec.interrogationPeriodS = ParseNumber("--iec-gi-period", period->second, 0,
                                           static_cast<int>(kMaxInterrogationPeriodS));
  }
  try {
    CheckLinkAddressFits(static_cast<uint32_t>(o.address), iec.linkAddressLength);
    CheckCommonAddressFits(static_cast<uint32_t>(iec.commonAddress), iec.commonAddressLength);
  } catch (const std::exception& e) {
    Fail(e.what());
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
  const bool fromProfile = raw.values.count("--from") > 0;
  if (o.command == TCommand::Configure && fromProfile && !s.Empty()) {
    Fail("Для configure укажите либо --from ФАЙЛ, либо параметры --set-..., но не то и другое.");
  }
  if (o.command == TCommand::Configure && s.Empty() && !fromProfile) {
    Fail(
        "Для configure укажите хотя бы один из параметров --set-protocol, --set-speed, "
        "--set-frame, --set-address, --set-network или профиль --from ФАЙЛ.");
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

TOutputFormat ParseFormat(const TRawOptions& raw) {
  const auto it = raw.values.find("--format");
  if (it == raw.values.end()) return TOutputFormat::Text;
  if (it->second == "text") return TOutputFormat::Text;
  if (it->second == "csv") return TOutputFormat::Csv;
  if (it->second == "json") return TOutputFormat::Json;
  Fail("Недопустимый формат вывода --format \"" + it->second + "\": text, csv или json.");
}

TCliOptions ParseCliOptions(const std::vector<std::string>& args) {
  TRawOptions raw;
  const TOptionTable table = CliOptionTable(raw);
  const bool helpAsked = IsIn(args, "--help") || IsIn(args, "-h");
  const bool versionAsked = IsIn(args, "--version") || IsIn(args, "-V");
  try {
    raw.command = table.Parse(args);
  } catch (const TCliUsageError&) {
    // --help and --version win over any mistake beside them.
    if (!helpAsked && !versionAsked) throw;
  }
  if (helpAsked || versionAsked) {
    TCliOptions o;
    o.help = helpAsked;
    o.version = !o.help;
    o.helpCommand = raw.command;
    // Beside a mistake: a command word among the arguments.
    for (const std::string& arg : args) {
      if (o.helpCommand.empty() && kCommands.count(arg)) o.helpCommand = arg;
    }
    return o;
  }
  TCliOptions o;
  o.command = kCommands.at(raw.command);
  // A link option not on the command line comes from the environment or
  // cli.conf; ports looks at no device.
  if (o.command != TCommand::Ports) raw.values.merge(LinkDefaults());
  ParseProgramLink(raw, o);
  ParseDeviceSettings(raw, o);
  ParseIecLink(raw, o);
  CheckCommands(table, raw);
  o.commission = ParseCommissionOptions(raw.command, raw.values, raw.flags);
  if (raw.values.count("--csv")) {
    o.csvFile = raw.values.at("--csv");
    if (o.csvFile.empty()) Fail("Для --csv не указано имя файла.");
  }
  o.format = ParseFormat(raw);
  // These print a verdict, not rows: a CSV of it would only be the text
  // under another name, so it is refused rather than silently ignored.
  if (o.format == TOutputFormat::Csv &&
      (o.command == TCommand::Wiring || o.command == TCommand::Configure ||
       o.command == TCommand::Factory)) {
    Fail("Для " + raw.command + " --format: text или json.");
  }
  if (o.csvFile == kCsvToStandardOutput && raw.values.count("--format")) {
    Fail("С --csv - показания идут в stdout в виде записи CSV; --format не нужен.");
  }
  if (o.commission.saveFile == kToStandardOutput && raw.values.count("--format")) {
    Fail("С --save - в stdout идёт профиль (JSON); --format не нужен.");
  }
  if (o.commission.reportFile == kToStandardOutput && raw.values.count("--format")) {
    Fail("С --out - в stdout идёт отчёт в Markdown; --format не нужен.");
  }
  if (raw.values.count("--seconds")) {
    o.seconds = ParseSeconds("--seconds", raw.values.at("--seconds"));
  }
  if (raw.values.count("--exchanges")) {
    o.exchanges = ParseNumber("--exchanges", raw.values.at("--exchanges"), 1, 1000000000);
  }
  if (raw.values.count("--timeout")) {
    o.timeoutSeconds = ParseSeconds("--timeout", raw.values.at("--timeout"));
    o.timeoutGiven = true;
  } else if (o.iec) {
    // A slower device gets a longer budget.
    o.timeoutSeconds = static_cast<double>(TIecWorkflows::OperationBudgetMs(
                           static_cast<uint32_t>(o.iec->answerTimeMs))) /
                       1000.0;
  }
  if (raw.values.count("--response-timeout")) {
    o.responseTimeoutMs =
        ParseNumber("--response-timeout", raw.values.at("--response-timeout"), 10, 60000);
  }
  o.stats = IsIn(raw.flags, "--stats");
  o.trace = IsIn(raw.flags, "--trace");
  o.quiet = IsIn(raw.flags, "--quiet");
  o.exactTiming = IsIn(raw.flags, "--exact-timing");
  return o;
}

const std::vector<std::string>& DeviceSpeedTexts() {
  return kDeviceSpeeds;
}

TOptionTable CliOptionTableForManual() {
  static TRawOptions unused;
  return CliOptionTable(unused);
}

std::string UsageText(const std::string& command) {
  TRawOptions unused;
  std::string text = CliOptionTable(unused).Help(command);
  if (const size_t at = text.find("КОМАНДА"); !command.empty() && at != std::string::npos) {
    text.replace(at, std::string("КОМАНДА").size(), command);
  }
  return text;
}

}  // namespace vela::cli
