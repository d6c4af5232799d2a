// velalink-cli-manual: writes the manual page ("man") or the bash completion
// ("completion") of velalink-cli from its option table. Run by the build.

#include "app/cli/CliOptions.h"
#include "common/Manual.h"

namespace {

vela::TManual CliManual() {
  vela::TManual m;
  m.program = "velalink-cli";
  m.summary = "операции окна VelaLink из командной строки, для сценариев";
  m.description =
      "velalink-cli выполняет операции окна VelaLink без графики: читает показания "
      "измерительного преобразователя Vela по последовательной линии (MODBUS RTU, MODBUS "
      "ASCII, IEC 60870-5-101), записывает их в CSV, устанавливает часы прибора, читает и "
      "записывает его установки, ищет приборы на линии и составляет протокол пусконаладки.\n\n"
      "Показания печатаются в стандартный вывод, журнал и ошибки — в стандартный поток "
      "ошибок. Программа говорит только по-русски.";
  m.exitStatus = {{"0", "команда выполнена (find: прибор найден)"},
                  {"1", "команда не выполнена (find: прибор не найден)"},
                  {"2", "ошибка в командной строке"},
                  {"3", "wiring: проверка подключения нашла нарушения"}};
  m.environment = {
      {"VELALINK_PORT, VELALINK_INTERFACE, VELALINK_PROTOCOL, VELALINK_SPEED, VELALINK_FRAME, "
       "VELALINK_ADDRESS",
       "параметры связи по умолчанию (--port, --interface, ...), если их нет в командной "
       "строке; важнее файла cli.conf"},
      {"VELALINK_PORTS_DIR", "папка портов: ссылки COMn на устройства (вместо папки по умолчанию)"},
      {"XDG_CONFIG_HOME", "папка настроек пользователя; папка портов — в ней, velalink/ports"},
      {"XDG_RUNTIME_DIR",
       "каталог сокетов отладочной консоли, если он доступен только пользователю"},
      {"LC_ALL, LC_TIME, LC_NUMERIC, LANG",
       "региональные форматы даты, времени и чисел в записи CSV (--csv)"}};
  m.files = {{"~/.config/velalink/cli.conf",
              "параметры связи по умолчанию, по одному в строке: port = COM3, interface = "
              "rs485, protocol, speed, frame, address; # — комментарий"},
             {"~/.config/velalink/ports/COMn",
              "ссылка на устройство порта COMn (папка портов); адаптер USB сохраняет в ней "
              "свой номер COMn"},
             {"/usr/share/doc/velalink-cli/examples/60-velalink.rules",
              "правило udev для адаптеров USB: группа dialout, без ModemManager"}};
  m.examples = {
      {"velalink-cli ports", "Показать последовательные порты и доступ к ним:"},
      {"velalink-cli --port COM2 read", "Прочитать показания прибора через USB:"},
      {"velalink-cli --port /dev/ttyUSB0 --interface rs485 --speed 115200 --address 5 \\\n"
       "    watch --csv values.csv",
       "Читать непрерывно по RS-485 и записывать показания в файл CSV:"},
      {"velalink-cli --port COM2 --quiet read --format json",
       "Одно чтение в виде JSON для сценария:"},
      {"velalink-cli --port COM2 configure --set-speed 115200 --set-address 5",
       "Записать в прибор скорость и адрес рабочего интерфейса:"},
      {"velalink-cli --port /dev/ttyUSB0 --interface rs485 find",
       "Найти прибор на линии RS-485 с неизвестными установками:"},
      {"velalink-cli --port COM2 report --out commissioning.html",
       "Составить протокол пусконаладки:"}};
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  return vela::WriteManual(vela::cli::CliOptionTableForManual(), CliManual(), argc, argv);
}
