#include "sim/SimOptions.h"

#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>

#include "common/OptionTable.h"
#include "iec101/IecMeasuredTypes.h"
#include "sim/BlockFaults.h"
#include "sim/FaultRotation.h"
#include "sim/MeasuredValues.h"

namespace vela {
namespace {

constexpr uint32_t kForeignHid = 0x12345601;

// Applies the value; false when it is not acceptable.
using Apply = std::function<bool(const std::string&, SimOptions&)>;

bool ToNumber(const std::string& text, long long low, long long high, long long& value,
              int base = 10) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtoll(text.c_str(), &end, base);
  return *end == '\0' && value >= low && value <= high;
}

template <typename T>
Apply Number(long long low, long long high, T SimOptions::*field, int base = 10) {
  return [=](const std::string& text, SimOptions& o) {
    long long value = 0;
    if (!ToNumber(text, low, high, value, base)) return false;
    o.*field = static_cast<T>(value);
    return true;
  };
}

template <typename T>
Apply DeviceNumber(long long low, long long high, T DeviceConfig::*field, int base = 10) {
  return [=](const std::string& text, SimOptions& o) {
    long long value = 0;
    if (!ToNumber(text, low, high, value, base)) return false;
    o.device.*field = static_cast<T>(value);
    return true;
  };
}

Apply Flag(std::function<void(SimOptions&)> set) {
  return [set](const std::string&, SimOptions& o) {
    set(o);
    return true;
  };
}

bool ApplyDevice(const std::string& text, SimOptions& o) {
  static const std::map<std::string, uint32_t> kDevices = {
      {"vela1", MakeHid(DeviceKind::Vela, 0)},  {"vela2", MakeHid(DeviceKind::Vela, 1)},
      {"vela3", MakeHid(DeviceKind::Vela, 2)},  {"kant", MakeHid(DeviceKind::Kant, 0)},
      {"porta", MakeHid(DeviceKind::Porta, 0)}, {"foreign", kForeignHid}};
  const auto found = kDevices.find(text);
  if (found == kDevices.end()) return false;
  o.device.hid = found->second;
  return true;
}

bool ApplyProtocol(const std::string& text, SimOptions& o) {
  static const std::map<std::string, LinkProtocol> kProtocols = {
      {"rtu", LinkProtocol::ModbusRtu},
      {"ascii", LinkProtocol::ModbusAscii},
      {"iec", LinkProtocol::Iec101}};
  const auto found = kProtocols.find(text);
  if (found == kProtocols.end()) return false;
  o.device.settings.link.protocol = found->second;
  return true;
}

bool ApplyFrame(const std::string& text, SimOptions& o) {
  static const std::map<std::string, int> kFrames = {
      {"0", 0},   {"1", 1},   {"2", 2},   {"E1", 0},  {"O1", 1},  {"N2", 2},
      {"8E1", 0}, {"8O1", 1}, {"8N2", 2}, {"7E1", 0}, {"7O1", 1}, {"7N2", 2}};
  const auto found = kFrames.find(text);
  if (found == kFrames.end()) return false;
  o.device.settings.link.frameIndex = found->second;
  return true;
}

bool ApplyOutOfRange(const std::string& text, SimOptions& o) {
  std::stringstream list(text);
  std::string name;
  while (std::getline(list, name, ',')) {
    const QuantityInfo* quantity = FindQuantity(name);
    if (!quantity) return false;
    o.device.outOfRange.insert(quantity->reg);
  }
  return true;
}

bool ApplyIecInvalid(const std::string& text, SimOptions& o) {
  std::stringstream list(text);
  std::string name;
  while (std::getline(list, name, ',')) {
    const QuantityInfo* quantity = FindQuantity(name);
    if (!quantity) return false;
    o.answerFaults.iecInvalid.insert(quantity->reg);
  }
  return true;
}

bool ApplyWiring(const std::string& text, SimOptions& o) {
  if (!o.device.wiring) o.device.wiring.emplace();
  return ParseWiringFaults(text, o.device.wiring->faults);
}

bool ApplyLoadAngle(const std::string& text, SimOptions& o) {
  char* end = nullptr;
  const double degrees = std::strtod(text.c_str(), &end);
  if (text.empty() || *end != '\0' || !(degrees >= -90 && degrees <= 90)) return false;
  if (!o.device.wiring) o.device.wiring.emplace();
  o.device.wiring->loadAngleDeg = degrees;
  return true;
}

// "L,C,A,I": link address, cause of transmission, common address and
// information object address lengths, as the link block orders them.
bool ApplyIecLengths(const std::string& text, SimOptions& o) {
  static const long long kLow[] = {0, 1, 1, 1}, kHigh[] = {2, 2, 2, 3};
  std::stringstream list(text);
  std::string item;
  uint16_t lengths[4] = {};
  size_t count = 0;
  while (std::getline(list, item, ',')) {
    long long value = 0;
    if (count == 4 || !ToNumber(item, kLow[count], kHigh[count], value)) return false;
    lengths[count++] = static_cast<uint16_t>(value);
  }
  if (count != 4 || text.back() == ',') return false;
  IecOptions& iec = o.device.settings.iec;
  iec.linkAddressLength = lengths[0];
  iec.cotLength = lengths[1];
  iec.commonAddressLength = lengths[2];
  iec.ioaLength = lengths[3];
  return true;
}

Apply IecNumber(long long low, long long high, uint16_t IecOptions::*field) {
  return [=](const std::string& text, SimOptions& o) {
    long long value = 0;
    if (!ToNumber(text, low, high, value)) return false;
    o.device.settings.iec.*field = static_cast<uint16_t>(value);
    return true;
  };
}

bool ApplyBaud(const std::string& text, int& baud) {
  long long value = 0;
  if (!ToNumber(text, 1, 10000000, value) || IndexOfSpeed(static_cast<int>(value)) < 0)
    return false;
  baud = static_cast<int>(value);
  return true;
}

// "ADDR" or "ADDR:SERIAL".
bool ApplyExtraDevice(const std::string& text, SimOptions& o) {
  const size_t colon = text.find(':');
  long long address = 0, serial = 0;
  if (!ToNumber(text.substr(0, colon), 1, 247, address)) return false;
  if (colon != std::string::npos && !ToNumber(text.substr(colon + 1), 1, 999999, serial)) {
    return false;
  }
  o.extraDevices.push_back({static_cast<uint8_t>(address), static_cast<uint32_t>(serial)});
  return true;
}

// "no-answer,bad-checksum,...": the faults that take turns.
bool ApplyFaultList(const std::string& text, SimOptions& o) {
  std::stringstream list(text);
  std::string item;
  std::vector<LineFault> kinds;
  while (std::getline(list, item, ',')) {
    const std::optional<LineFault> fault = LineFaultNamed(item);
    if (!fault) return false;
    kinds.push_back(*fault);
  }
  if (kinds.empty() || text.back() == ',') return false;
  o.rotatingFaults.kinds = kinds;
  return true;
}

Apply FaultNumber(long long low, long long high, int RotatingFaults::*field) {
  return [=](const std::string& text, SimOptions& o) {
    long long value = 0;
    if (!ToNumber(text, low, high, value)) return false;
    o.rotatingFaults.*field = static_cast<int>(value);
    return true;
  };
}

bool ApplyFaultBlock(const std::string& text, SimOptions& o) {
  o.device.blockFault.block = ValueBlockNamed(text);
  return o.device.blockFault.block.has_value();
}

bool ApplyFaultBlockKind(const std::string& text, SimOptions& o) {
  const std::optional<LineFault> kind = LineFaultNamed(text);
  if (kind != LineFault::kNoAnswer && kind != LineFault::kBusy) return false;
  o.device.blockFault.kind = *kind;
  return true;
}

bool ApplyFaultBlockEvery(const std::string& text, SimOptions& o) {
  long long value = 0;
  if (!ToNumber(text, 1, 1000000, value)) return false;
  o.device.blockFault.every = static_cast<int>(value);
  return true;
}

bool ApplyTurnaround(const std::string& text, SimOptions& o) {
  char* end = nullptr;
  o.turnaroundMs = std::strtod(text.c_str(), &end);
  return !text.empty() && *end == '\0' && o.turnaroundMs >= 0 && o.turnaroundMs <= 10000;
}

bool ApplyNormalisation(const std::string& text, SimOptions& o) {
  long long value = 0;
  if (!ToNumber(text, 0, 255, value)) return false;
  o.device.settings.normalisation = static_cast<int>(value);
  return true;
}

bool ApplyAddress(const std::string& text, SimOptions& o) {
  long long value = 0;
  if (!ToNumber(text, 1, 247, value)) return false;
  o.device.settings.link.address = static_cast<uint8_t>(value);
  return true;
}

bool ApplyLinkSpeed(const std::string& text, SimOptions& o) {
  int baud = 0;
  if (!ApplyBaud(text, baud)) return false;
  o.device.settings.link.speedIndex = IndexOfSpeed(baud);
  return true;
}

bool ApplySkipEvery(const std::string& text, SimOptions& o) {
  long long value = 0;
  if (!ToNumber(text, 1, 1000000, value)) return false;
  o.timingFaults.skipEvery = static_cast<int>(value);
  return true;
}

bool ApplyDelay(const std::string& text, SimOptions& o) {
  long long value = 0;
  if (!ToNumber(text, 0, 600000, value)) return false;
  o.timingFaults.delayMs = static_cast<int>(value);
  return true;
}

bool ApplyAsdu(const std::string& text, SimOptions& o) {
  long long value = 0;
  if (!ToNumber(text, 1, 127, value) || !MeasuredFormat(static_cast<uint8_t>(value))) return false;
  o.device.settings.iec.asduType = static_cast<uint16_t>(value);
  return true;
}

bool ApplyCyclic(const std::string& text, SimOptions& o) {
  long long value = 0;
  if (!ToNumber(text, 0, 65535, value)) return false;
  o.device.settings.iec.cyclic = 1;
  o.device.settings.iec.cycleInterval = static_cast<uint16_t>(value);
  return true;
}

// "--iec-dfc" alone: every answer; "--iec-dfc N": the first N.
bool ApplyDfc(const std::string& text, SimOptions& o) {
  long long value = 0;
  if (text.empty()) {
    o.answerFaults.iecDfcAnswers = kEveryAnswer;
  } else if (ToNumber(text, 1, 1000000, value)) {
    o.answerFaults.iecDfcAnswers = static_cast<int>(value);
  } else {
    return false;
  }
  return true;
}

bool ApplyQuality(const std::string& text, SimOptions& o) {
  long long value = 0;
  if (!ToNumber(text, 0, 0xFF, value, 16)) return false;
  o.answerFaults.iecQuality = static_cast<uint8_t>(value);
  return true;
}

// The entries of one table, each refusing a value its Apply does not take.
class SimTable {
 public:
  explicit SimTable(SimOptions& options) : options_(options) {
    table_.SetMessages({"Неизвестный параметр {} (см. --help)", "Параметру {} нужно значение",
                        "Параметр {} не принимает значения"});
  }

  void Section(std::string title) { table_.Section(std::move(title)); }
  void Valued(std::string name, std::string placeholder, std::string help, Apply apply) {
    table_.Add(
        {name, "", std::move(placeholder), std::move(help), Checked(name, std::move(apply))});
  }
  void Switch(std::string name, std::string help, Apply apply, std::string alias = "") {
    table_.Add({name, std::move(alias), "", std::move(help), Checked(name, std::move(apply))});
  }
  void OptionalNumber(std::string name, std::string placeholder, std::string help, Apply apply) {
    table_.Add({name,
                "",
                std::move(placeholder),
                std::move(help),
                Checked(name, std::move(apply)),
                {},
                true});
  }
  TOptionTable Take() { return std::move(table_); }

 private:
  std::function<void(const std::string&)> Checked(const std::string& name, Apply apply) {
    return [&options = options_, name, apply](const std::string& value) {
      if (!apply(value, options)) {
        throw TOptionError("Недопустимое значение параметра " + name + ": \"" + value + "\"");
      }
    };
  }

  SimOptions& options_;
  TOptionTable table_{
      "velasim [ПАРАМЕТРЫ]",
      "Имитатор измерительного преобразователя Vela (MODBUS RTU/ASCII, МЭК 60870-5-101).\n"
      "Открывает псевдотерминал и публикует его ссылкой COMn в папке портов\n"
      "($VELALINK_PORTS_DIR, иначе $XDG_CONFIG_HOME/velalink/ports или\n"
      "~/.config/velalink/ports). Первая строка вывода: \"COMn <устройство>\"."};
};

TOptionTable SimOptionTable(SimOptions& options) {
  SimTable t(options);
  t.Section("Интерфейсы:");
  t.Valued("--com", "N", "номер порта технологического интерфейса (по умолчанию первый свободный)",
           Number(1, 256, &SimOptions::com));
  t.Switch("--working", "опубликовать и рабочий интерфейс (вторая строка вывода)",
           Flag([](SimOptions& o) { o.publishWorking = true; }), "--both");
  t.Valued("--working-com", "N", "номер порта рабочего интерфейса",
           Number(1, 256, &SimOptions::workingCom));
  t.Valued("--speed", "БОД", "скорость технологического интерфейса (38400)",
           [](const std::string& text, SimOptions& o) { return ApplyBaud(text, o.serviceBaud); });
  t.Valued("--turnaround", "МС", "пауза перед ответом (2)", ApplyTurnaround);
  t.Switch("--any-line-format", "отвечать при любых настройках порта программы",
           Flag([](SimOptions& o) { o.checkPeerFormat = false; }));
  t.Switch("--trace", "печатать запросы и ответы в stderr",
           Flag([](SimOptions& o) { o.trace = true; }));
  t.Section("Прибор:");
  t.Valued("--device", "vela1|vela2|vela3|kant|porta|foreign", "вид и модификация (vela1)",
           ApplyDevice);
  t.Valued("--hid", "HEX", "код изготовителя, вида и модификации прибора (вместо --device)",
           DeviceNumber(0, 0xFFFFFFFF, &DeviceConfig::hid, 16));
  t.Valued("--sid", "HEX", "версия ПО прибора (01030000: 1.3)",
           DeviceNumber(0, 0xFFFFFFFF, &DeviceConfig::sid, 16));
  t.Valued("--digital-id", "HEX", "цифровой идентификатор ПО прибора (5A3C)",
           DeviceNumber(0, 0xFFFF, &DeviceConfig::digitalId, 16));
  t.Valued("--serial", "N", "заводской номер прибора (123456)",
           DeviceNumber(0, 999999, &DeviceConfig::serial));
  t.Switch("--old-firmware",
           "старое ПО: нет идентификации, блоков связи 2-4, cos; скорости до 57600",
           Flag([](SimOptions& o) { o.device.oldFirmware = true; }));
  t.Valued("--busy", "N", "первые N записей получают исключение 6 (прибор занят)",
           DeviceNumber(0, 1000000, &DeviceConfig::busyWrites));
  t.Switch("--three-wire", "3-проводная сеть",
           Flag([](SimOptions& o) { o.device.settings.threeWire = true; }));
  t.Valued("--norm", "N", "тип нормализации (3)", ApplyNormalisation);
  t.Valued("--overrange", "LIST", "величины вне диапазона, например Ia,P,cos", ApplyOutOfRange);
  t.Valued("--wiring", "FAULT[,FAULT]",
           "неизменная сеть 230 В, 5 А с ошибками подключения: ct-reversed:B,\n"
           "vt-reversed:C, currents-swapped:A,B, voltage-missing:A,\n"
           "current-missing:C",
           ApplyWiring);
  t.Valued("--load-angle", "ГРАД",
           "неизменная сеть 230 В, 5 А: угол тока за напряжением\n"
           "(-90..90; 25.84 — cos 0,9 инд.)",
           ApplyLoadAngle);
  t.Switch("--ramp",
           "напряжения растут на 0,1 В с каждым их чтением (через 1000 чтений\n"
           "снова с начала): два показания никогда не совпадают",
           Flag([](SimOptions& o) { o.device.ramp = true; }));
  t.Section("Рабочий интерфейс (начальные настройки):");
  t.Valued("--protocol", "rtu|ascii|iec", "протокол (rtu)", ApplyProtocol);
  t.Valued("--address", "N", "адрес прибора, 1-247 (1)", ApplyAddress);
  t.Valued("--link-speed", "БОД", "скорость (38400)", ApplyLinkSpeed);
  t.Valued("--link-frame", "0|1|2",
           "формат: 0 — проверка на чётность, 1 — на нечётность, 2 — без проверки,\n"
           "2 стоп-бита (0); можно и 8E1, 8O1, 8N2, 7E1, 7O1, 7N2",
           ApplyFrame);
  t.Valued("--extra-device", "АДРЕС[:СЕРИЙНЫЙ]",
           "ещё один прибор на линии рабочего интерфейса\n"
           "(те же протокол, скорость и формат; можно повторять)",
           ApplyExtraDevice);
  t.Section("МЭК 60870-5-101 (рабочий интерфейс с --protocol iec; адрес канала = --address):");
  t.Valued("--iec-lengths", "L,C,A,I",
           "длины полей: адрес канала 0-2, причина передачи 1-2,\n"
           "общий адрес 1-2, адрес объекта 1-3 (1,1,1,2)",
           ApplyIecLengths);
  t.Valued("--iec-asdu", "ТИП",
           "формат измеряемых величин (13): 13/14/36 — короткое с плавающей\n"
           "точкой, 9/10/34 — нормализованное (значение/1000), 11/12/35 —\n"
           "масштабированное, 21 — нормализованное без QDS",
           ApplyAsdu);
  t.Valued("--iec-common-address", "N", "общий адрес ASDU (1)",
           IecNumber(1, 65534, &IecOptions::commonAddress));
  t.Valued("--iec-cyclic", "МС",
           "циклическая передача: данные класса 2 раз в МС мс,\n"
           "между циклами \"нет данных\" (без --iec-cyclic данные\n"
           "класса 2 есть при каждом запросе)",
           ApplyCyclic);
  t.Section("Неисправности:");
  t.Switch("--no-answer", "не отвечать", Flag([](SimOptions& o) { o.timingFaults.silent = true; }));
  t.Valued("--no-answer-every", "K", "не отвечать на каждый K-й запрос", ApplySkipEvery);
  t.Valued("--delay", "МС", "задержать ответ", ApplyDelay);
  t.Switch("--bad-checksum", "неверная CRC/LRC (МЭК: контрольная сумма) в ответе",
           Flag([](SimOptions& o) { o.answerFaults.badChecksum = true; }));
  t.Switch("--wrong-address", "чужой адрес (МЭК: адрес канала) в ответе",
           Flag([](SimOptions& o) { o.answerFaults.wrongAddress = true; }));
  t.Switch("--split", "ответ двумя частями с паузой 80 мс",
           Flag([](SimOptions& o) { o.timingFaults.split = true; }));
  t.Switch("--noise", "лишний октет после ответа",
           Flag([](SimOptions& o) { o.timingFaults.noise = true; }));
  t.Valued("--fault-every", "K",
           "неполадка в каждом K-м ответе, по очереди из списка --faults;\n"
           "при выходе счёт внесённых неполадок в stderr",
           FaultNumber(1, 1000000, &RotatingFaults::every));
  t.Valued("--faults", "LIST",
           "no-answer,bad-checksum,split,wrong-address,busy,late\n"
           "(по умолчанию все; busy: исключение 6, МЭК: NACK)",
           ApplyFaultList);
  t.Valued("--late", "МС", "насколько опаздывает ответ late (600)",
           FaultNumber(1, 60000, &RotatingFaults::lateMs));
  t.Valued("--fault-block", "values|f|time|cos3|cos4",
           "MODBUS: неполадка при чтении только этого блока: измеряемые\n"
           "величины, частота, часы, cos общий, cos по фазам",
           ApplyFaultBlock);
  t.Valued("--fault-block-kind", "no-answer|busy",
           "какая неполадка у --fault-block: нет ответа или исключение 6\n(no-answer)",
           ApplyFaultBlockKind);
  t.Valued("--fault-block-every", "K", "неполадка у --fault-block при каждом K-м его чтении (1)",
           ApplyFaultBlockEvery);
  t.Switch("--unpaced", "ответ без времени передачи по линии (для долгих прогонов)",
           Flag([](SimOptions& o) { o.unpaced = true; }));
  t.Switch("--iec-e5",
           "E5h вместо подтверждения и ответа \"нет данных\"\n(когда ACD = 0 и DFC = 0)",
           Flag([](SimOptions& o) { o.answerFaults.iecSingleChar = true; }));
  t.OptionalNumber("--iec-dfc", "N", "DFC = 1 в первых N ответах (без N — во всех)", ApplyDfc);
  t.Switch("--iec-class1",
           "ответы на команды только по запросу класса 1 (ACD = 1),\n"
           "запрос класса 2 их не получает",
           Flag([](SimOptions& o) { o.answerFaults.iecClass1Only = true; }));
  t.Switch("--iec-periodic-first",
           "ответы на команды в классе 2 после цикла\nпериодических измеряемых величин",
           Flag([](SimOptions& o) { o.answerFaults.iecPeriodicFirst = true; }));
  t.Switch("--iec-nack", "данные пользователя отклоняются (NACK)",
           Flag([](SimOptions& o) { o.answerFaults.iecNack = true; }));
  t.Valued("--iec-restart", "N",
           "перезапуск после каждых N ответов на запрос данных: до сброса\n"
           "канала ответ \"канал не работает\" (функция 14)",
           [](const std::string& text, SimOptions& o) {
             long long value = 0;
             if (!ToNumber(text, 1, 1000000, value)) return false;
             o.answerFaults.iecRestartAfter = static_cast<int>(value);
             return true;
           });
  t.Valued("--iec-link-address", "N",
           "адрес канала, если он не адрес прибора: 1-65534 (выше 254 —\n"
           "с полем адреса канала 2 байта, --iec-lengths 2,...)",
           [](const std::string& text, SimOptions& o) {
             long long value = 0;
             if (!ToNumber(text, 1, 65534, value)) return false;
             o.answerFaults.iecLinkAddress = static_cast<uint16_t>(value);
             return true;
           });
  t.Switch("--iec-gi-only",
           "измеряемые величины только в ответ на общий опрос\n"
           "(циклическая передача выключена, класс 2 пуст)",
           Flag([](SimOptions& o) { o.answerFaults.iecInterrogationOnly = true; }));
  t.Valued("--iec-gi-class", "1|2", "класс данных ответа на общий опрос (1)",
           [](const std::string& text, SimOptions& o) {
             long long value = 0;
             if (!ToNumber(text, 1, 2, value)) return false;
             o.answerFaults.iecInterrogationClass = static_cast<int>(value);
             return true;
           });
  t.Valued("--iec-events", "МС",
           "раз в МС мс спорадическое событие (причина 3): одна\n"
           "величина в своём ASDU, в классе 1",
           [](const std::string& text, SimOptions& o) {
             long long value = 0;
             if (!ToNumber(text, 1, 600000, value)) return false;
             o.answerFaults.iecEventMs = static_cast<int>(value);
             return true;
           });
  t.Switch("--iec-one-object", "по одному объекту информации в ASDU",
           Flag([](SimOptions& o) { o.answerFaults.iecOneObject = true; }));
  t.Valued("--iec-refuse", "7|44|45|46|47",
           "каждая команда отклоняется (P/N = 1) с этой причиной: 7 —\n"
           "отрицательное подтверждение, 44-47 — неизвестные тип, причина,\n"
           "общий адрес, адрес объекта",
           [](const std::string& text, SimOptions& o) {
             long long value = 0;
             if (!ToNumber(text, 7, 47, value) || (value != 7 && value < 44)) return false;
             o.answerFaults.iecRefuseCause = static_cast<uint8_t>(value);
             return true;
           });
  t.Valued("--iec-quality", "HEX", "биты описателя качества QDS у всех величин, например 80 (IV)",
           ApplyQuality);
  t.Valued("--iec-invalid", "LIST",
           "величины с признаком недостоверности IV в описателе качества,\n"
           "например Ua,Ib",
           ApplyIecInvalid);
  t.Section("Прочее:");
  t.Switch("--help", "показать эту справку", Flag([](SimOptions& o) { o.help = true; }));
  t.Switch("--version", "показать версию программы", Flag([](SimOptions& o) { o.version = true; }));
  return t.Take();
}

}  // namespace

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options,
                     std::string& error) {
  try {
    SimOptionTable(options).Parse(args);
  } catch (const TOptionError& e) {
    error = e.what();
    return false;
  }
  // A link address the link-address field cannot carry would make a station
  // no master can reach: refused, as the master refuses it.
  const uint16_t link = options.answerFaults.iecLinkAddress;
  const uint16_t octets = options.device.settings.iec.linkAddressLength;
  if (link != 0 && (octets == 0 || (octets == 1 && link > 254))) {
    error = "--iec-link-address " + std::to_string(link) +
            (octets == 0 ? ": поля адреса канала нет (--iec-lengths 0,...)"
                         : ": с полем адреса канала 1 байт допустимо 1-254; для большего "
                           "адреса --iec-lengths 2,...");
    return false;
  }
  if (options.rotatingFaults.kinds.empty()) options.rotatingFaults.kinds = AllLineFaults();
  return true;
}

TOptionTable SimOptionTableForManual() {
  static SimOptions unused;
  return SimOptionTable(unused);
}

std::string SimUsage() {
  SimOptions unused;
  return SimOptionTable(unused).Help();
}

}  // namespace vela
