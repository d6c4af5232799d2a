// velalink-manual: writes the manual page ("man") of the window from its
// option table. Run by the build.

#include "common/Manual.h"
#include "qt/WindowCommandLine.h"

namespace {

vela::TManual WindowManual() {
  vela::TManual m;
  m.program = "velalink";
  m.summary = "окно программы конфигурации и отображения результатов измерений Vela";
  m.description =
      "Окно читает показания измерительного преобразователя Vela по последовательной линии "
      "(MODBUS RTU, MODBUS ASCII, IEC 60870-5-101), показывает и записывает их в CSV, "
      "устанавливает часы прибора и его установки связи, идентифицирует программу и ПО "
      "прибора. Программа говорит только по-русски.\n\n"
      "Параметры Qt (-platform offscreen, -style ...) передаются библиотеке Qt. "
      "Отладочную трассировку работающего окна показывает velalink-console(1); те же "
      "операции из командной строки выполняет velalink-cli(1).";
  m.exitStatus = {{"0", "выполнено"}, {"1", "не выполнено"}, {"2", "ошибка в командной строке"}};
  m.environment = {
      {"VELALINK_PORTS_DIR", "папка портов: ссылки COMn на устройства (вместо папки по умолчанию)"},
      {"XDG_CONFIG_HOME", "папка настроек пользователя; папка портов — в ней, velalink/ports"},
      {"XDG_RUNTIME_DIR",
       "каталог сокетов отладочной консоли, если он доступен только пользователю"},
      {"LC_ALL, LC_TIME, LC_NUMERIC, LANG",
       "региональные форматы даты, времени и чисел в записи CSV"}};
  m.files = {{"~/.config/velalink/ports/COMn", "ссылка на устройство порта COMn (папка портов)"},
             {"$XDG_RUNTIME_DIR/dbg_VelaLink, /tmp/velalink-UID/dbg_VelaLink",
              "сокет отладочной консоли"}};
  m.examples = {{"velalink --port COM2 --autoread --screenshot window.png",
                 "Прочитать однократно и сохранить снимок окна:"},
                {"velalink --port COM3 --interface rs485 --continuous 600",
                 "Читать непрерывно десять минут через рабочий интерфейс:"}};
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  return vela::WriteManual(vela::WindowOptionTableForManual(), WindowManual(), argc, argv);
}
