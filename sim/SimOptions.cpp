#include "sim/SimOptions.h"

#include <cstdlib>
#include <functional>
#include <map>
#include <sstream>

#include "sim/FaultRotation.h"
#include "sim/MeasuredValues.h"

namespace vela {
namespace {

constexpr uint32_t kForeignHid = 0x12345601;

struct Option {
  bool takesValue;
  // Applies the value; false when it is not acceptable.
  std::function<bool(const std::string&, SimOptions&)> apply;
  // A flag that may be followed by a number ("--iec-dfc" or "--iec-dfc 2").
  bool optionalNumber = false;
};

bool IsDigits(const std::string& text) {
  return !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
}

bool ToNumber(const std::string& text, long long low, long long high, long long& value,
              int base = 10) {
  if (text.empty()) return false;
  char* end = nullptr;
  value = std::strtoll(text.c_str(), &end, base);
  return *end == '\0' && value >= low && value <= high;
}

template <typename T>
Option Number(long long low, long long high, T SimOptions::*field, int base = 10) {
  return {true, [=](const std::string& text, SimOptions& o) {
            long long value = 0;
            if (!ToNumber(text, low, high, value, base)) return false;
            o.*field = static_cast<T>(value);
            return true;
          }};
}

template <typename T>
Option DeviceNumber(long long low, long long high, T DeviceConfig::*field, int base = 10) {
  return {true, [=](const std::string& text, SimOptions& o) {
            long long value = 0;
            if (!ToNumber(text, low, high, value, base)) return false;
            o.device.*field = static_cast<T>(value);
            return true;
          }};
}

Option Flag(std::function<void(SimOptions&)> set) {
  return {false, [set](const std::string&, SimOptions& o) {
            set(o);
            return true;
          }};
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

Option IecNumber(long long low, long long high, uint16_t IecOptions::*field) {
  return {true, [=](const std::string& text, SimOptions& o) {
            long long value = 0;
            if (!ToNumber(text, low, high, value)) return false;
            o.device.settings.iec.*field = static_cast<uint16_t>(value);
            return true;
          }};
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

Option FaultNumber(long long low, long long high, int RotatingFaults::*field) {
  return {true, [=](const std::string& text, SimOptions& o) {
            long long value = 0;
            if (!ToNumber(text, low, high, value)) return false;
            o.rotatingFaults.*field = static_cast<int>(value);
            return true;
          }};
}

const std::map<std::string, Option>& OptionTable() {
  static const std::map<std::string, Option> kTable = {
      {"--com", Number(1, 256, &SimOptions::com)},
      {"--working-com", Number(1, 256, &SimOptions::workingCom)},
      {"--working", Flag([](SimOptions& o) { o.publishWorking = true; })},
      {"--both", Flag([](SimOptions& o) { o.publishWorking = true; })},
      {"--speed",
       {true, [](const std::string& t, SimOptions& o) { return ApplyBaud(t, o.serviceBaud); }}},
      {"--turnaround",
       {true,
        [](const std::string& t, SimOptions& o) {
          char* end = nullptr;
          o.turnaroundMs = std::strtod(t.c_str(), &end);
          return !t.empty() && *end == '\0' && o.turnaroundMs >= 0 && o.turnaroundMs <= 10000;
        }}},
      {"--trace", Flag([](SimOptions& o) { o.trace = true; })},
      {"--any-line-format", Flag([](SimOptions& o) { o.checkPeerFormat = false; })},
      {"--device", {true, ApplyDevice}},
      {"--hid", DeviceNumber(0, 0xFFFFFFFF, &DeviceConfig::hid, 16)},
      {"--sid", DeviceNumber(0, 0xFFFFFFFF, &DeviceConfig::sid, 16)},
      {"--digital-id", DeviceNumber(0, 0xFFFF, &DeviceConfig::digitalId, 16)},
      {"--serial", DeviceNumber(0, 999999, &DeviceConfig::serial)},
      {"--old-firmware", Flag([](SimOptions& o) { o.device.oldFirmware = true; })},
      {"--busy", DeviceNumber(0, 1000000, &DeviceConfig::busyWrites)},
      {"--three-wire", Flag([](SimOptions& o) { o.device.settings.threeWire = true; })},
      {"--norm",
       {true,
        [](const std::string& t, SimOptions& o) {
          long long value = 0;
          if (!ToNumber(t, 0, 255, value)) return false;
          o.device.settings.normalisation = static_cast<int>(value);
          return true;
        }}},
      {"--protocol", {true, ApplyProtocol}},
      {"--address",
       {true,
        [](const std::string& t, SimOptions& o) {
          long long value = 0;
          if (!ToNumber(t, 1, 247, value)) return false;
          o.device.settings.link.address = static_cast<uint8_t>(value);
          return true;
        }}},
      {"--link-speed",
       {true,
        [](const std::string& t, SimOptions& o) {
          int baud = 0;
          if (!ApplyBaud(t, baud)) return false;
          o.device.settings.link.speedIndex = IndexOfSpeed(baud);
          return true;
        }}},
      {"--link-frame", {true, ApplyFrame}},
      {"--extra-device", {true, ApplyExtraDevice}},
      {"--overrange", {true, ApplyOutOfRange}},
      {"--no-answer", Flag([](SimOptions& o) { o.timingFaults.silent = true; })},
      {"--no-answer-every",
       {true,
        [](const std::string& t, SimOptions& o) {
          long long value = 0;
          if (!ToNumber(t, 1, 1000000, value)) return false;
          o.timingFaults.skipEvery = static_cast<int>(value);
          return true;
        }}},
      {"--delay",
       {true,
        [](const std::string& t, SimOptions& o) {
          long long value = 0;
          if (!ToNumber(t, 0, 600000, value)) return false;
          o.timingFaults.delayMs = static_cast<int>(value);
          return true;
        }}},
      {"--bad-checksum", Flag([](SimOptions& o) { o.answerFaults.badChecksum = true; })},
      {"--wrong-address", Flag([](SimOptions& o) { o.answerFaults.wrongAddress = true; })},
      {"--split", Flag([](SimOptions& o) { o.timingFaults.split = true; })},
      {"--fault-every", FaultNumber(1, 1000000, &RotatingFaults::every)},
      {"--faults", {true, ApplyFaultList}},
      {"--late", FaultNumber(1, 60000, &RotatingFaults::lateMs)},
      {"--unpaced", Flag([](SimOptions& o) { o.unpaced = true; })},
      {"--noise", Flag([](SimOptions& o) { o.timingFaults.noise = true; })},
      {"--iec-lengths", {true, ApplyIecLengths}},
      {"--iec-asdu",
       {true,
        [](const std::string& t, SimOptions& o) {
          if (t != "13" && t != "14") return false;
          o.device.settings.iec.asduType = static_cast<uint16_t>(std::stoi(t));
          return true;
        }}},
      {"--iec-common-address", IecNumber(1, 65533, &IecOptions::commonAddress)},
      {"--iec-cyclic",
       {true,
        [](const std::string& t, SimOptions& o) {
          long long value = 0;
          if (!ToNumber(t, 0, 65535, value)) return false;
          o.device.settings.iec.cyclic = 1;
          o.device.settings.iec.cycleInterval = static_cast<uint16_t>(value);
          return true;
        }}},
      {"--iec-e5", Flag([](SimOptions& o) { o.answerFaults.iecSingleChar = true; })},
      {"--iec-dfc",
       {false,
        [](const std::string& t, SimOptions& o) {
          long long value = 0;
          if (t.empty()) {
            o.answerFaults.iecDfcAnswers = kEveryAnswer;
          } else if (ToNumber(t, 1, 1000000, value)) {
            o.answerFaults.iecDfcAnswers = static_cast<int>(value);
          } else {
            return false;
          }
          return true;
        },
        true}},
      {"--iec-class1", Flag([](SimOptions& o) { o.answerFaults.iecClass1Only = true; })},
      {"--iec-periodic-first", Flag([](SimOptions& o) { o.answerFaults.iecPeriodicFirst = true; })},
      {"--iec-nack", Flag([](SimOptions& o) { o.answerFaults.iecNack = true; })},
      {"--iec-quality",
       {true,
        [](const std::string& t, SimOptions& o) {
          long long value = 0;
          if (!ToNumber(t, 0, 0xFF, value, 16)) return false;
          o.answerFaults.iecQuality = static_cast<uint8_t>(value);
          return true;
        }}},
      {"--help", Flag([](SimOptions& o) { o.help = true; })},
  };
  return kTable;
}

}  // namespace

bool ParseSimOptions(const std::vector<std::string>& args, SimOptions& options,
                     std::string& error) {
  for (size_t i = 0; i < args.size(); ++i) {
    std::string name = args[i];
    std::string value;
    bool valueGiven = false;
    if (const size_t equals = name.find('='); equals != std::string::npos) {
      value = name.substr(equals + 1);
      name.resize(equals);
      valueGiven = true;
    }
    const auto found = OptionTable().find(name);
    if (found == OptionTable().end()) {
      error = "Неизвестный параметр " + name + " (см. --help)";
      return false;
    }
    const Option& option = found->second;
    if (option.optionalNumber && !valueGiven && i + 1 < args.size() && IsDigits(args[i + 1])) {
      value = args[++i];
    } else if (option.takesValue && !valueGiven) {
      if (i + 1 >= args.size()) {
        error = "Параметру " + name + " нужно значение";
        return false;
      }
      value = args[++i];
    } else if (!option.takesValue && !option.optionalNumber && valueGiven) {
      error = "Параметр " + name + " не принимает значения";
      return false;
    }
    if (!option.apply(value, options)) {
      error = "Недопустимое значение параметра " + name + ": \"" + value + "\"";
      return false;
    }
  }
  if (options.rotatingFaults.kinds.empty()) options.rotatingFaults.kinds = AllLineFaults();
  return true;
}

std::string SimUsage() {
  return R"(velasim — имитатор измерительного преобразователя Vela (MODBUS RTU/ASCII, МЭК 60870-5-101)

Открывает псевдотерминал и публикует его ссылкой COMn в папке портов
($VELALINK_PORTS_DIR, иначе $XDG_CONFIG_HOME/velalink/ports или
~/.config/velalink/ports). Первая строка вывода: "COMn <устройство>".

Интерфейсы:
  --com N               номер порта технологического интерфейса (по умолчанию первый свободный)
  --working, --both     опубликовать и рабочий интерфейс (вторая строка вывода)
  --working-com N       номер порта рабочего интерфейса
  --speed БОД           скорость технологического интерфейса (38400)
  --turnaround МС       пауза перед ответом (2)
  --any-line-format     отвечать при любых настройках порта программы
  --trace               печатать запросы и ответы в stderr
Прибор:
  --device vela1|vela2|vela3|kant|porta|foreign   вид и модификация (vela1)
  --hid HEX  --sid HEX  --digital-id HEX  --serial N
  --old-firmware        старое ПО: нет идентификации, блоков связи 2-4, cos; скорости до 57600
  --busy N              первые N записей получают исключение 6 (прибор занят)
  --three-wire          3-проводная сеть
  --norm N              тип нормализации (3)
  --overrange LIST      величины вне диапазона, например Ia,P,cos
Рабочий интерфейс (начальные настройки):
  --protocol rtu|ascii|iec  --address N  --link-speed БОД  --link-frame 0|1|2
  --extra-device АДРЕС[:СЕРИЙНЫЙ]  ещё один прибор на линии рабочего интерфейса
                        (те же протокол, скорость и формат; можно повторять)
МЭК 60870-5-101 (рабочий интерфейс с --protocol iec; адрес канала = --address):
  --iec-lengths L,C,A,I длины полей: адрес канала 0-2, причина передачи 1-2,
                        общий адрес 1-2, адрес объекта 1-3 (1,1,1,2)
  --iec-asdu 13|14      формат измеряемых величин: M_ME_NC_1 или M_ME_TC_1 (13)
  --iec-common-address N  общий адрес ASDU (1)
  --iec-cyclic МС       циклическая передача: данные класса 2 раз в МС мс,
                        между циклами "нет данных" (без --iec-cyclic данные
                        класса 2 есть при каждом запросе)
Неисправности:
  --no-answer           не отвечать
  --no-answer-every K   не отвечать на каждый K-й запрос
  --delay МС            задержать ответ
  --bad-checksum        неверная CRC/LRC (МЭК: контрольная сумма) в ответе
  --wrong-address       чужой адрес (МЭК: адрес канала) в ответе
  --split               ответ двумя частями с паузой 80 мс
  --noise               лишний октет после ответа
  --fault-every K       неполадка в каждом K-м ответе, по очереди из списка --faults;
                        при выходе счёт внесённых неполадок в stderr
  --faults LIST         no-answer,bad-checksum,split,wrong-address,busy,late
                        (по умолчанию все; busy: исключение 6, МЭК: NACK)
  --late МС             насколько опаздывает ответ late (600)
  --unpaced             ответ без времени передачи по линии (для долгих прогонов)
  --iec-e5              E5h вместо подтверждения и ответа "нет данных"
                        (когда ACD = 0 и DFC = 0)
  --iec-dfc [N]         DFC = 1 в первых N ответах (без N — во всех)
  --iec-class1          ответы на команды только по запросу класса 1 (ACD = 1),
                        запрос класса 2 их не получает
  --iec-periodic-first  ответы на команды в классе 2 после цикла
                        периодических измеряемых величин
  --iec-nack            данные пользователя отклоняются (NACK)
  --iec-quality HEX     биты описателя качества QDS у всех величин, например 80 (IV)
Прочее:
  --help                показать эту справку
  --version             показать версию программы
)";
}

}  // namespace vela
