// velasim-manual: writes the manual page ("man") or the bash completion
// ("completion") of velasim from its option table. Run by the build.

#include "common/Manual.h"
#include "sim/SimOptions.h"

namespace {

vela::TManual SimManual() {
  vela::TManual m;
  m.program = "velasim";
  m.summary = "имитатор измерительного преобразователя Vela на псевдотерминале";
  m.description =
      "velasim отвечает как прибор Vela на псевдотерминале: технологический интерфейс "
      "(MODBUS RTU, 38400, 8E1, адрес 1) и с --both рабочий (MODBUS RTU, MODBUS ASCII или "
      "IEC 60870-5-101). Первые строки вывода — \"COMn устройство\" каждого интерфейса; "
      "после них порты готовы. Неисправности линии задаются параметрами.\n\n"
      "Программа завершается по Ctrl-C (SIGINT), SIGTERM или SIGHUP и убирает свои "
      "ссылки из папки портов.";
  m.exitStatus = {{"0", "имитатор остановлен сигналом"},
                  {"1", "не удалось открыть псевдотерминал или опубликовать порт"},
                  {"2", "ошибка в командной строке"}};
  m.environment = {
      {"VELALINK_PORTS_DIR", "папка портов, где публикуются ссылки COMn"},
      {"XDG_CONFIG_HOME", "папка настроек пользователя; папка портов — в ней, velalink/ports"},
      {"HOME", "без XDG_CONFIG_HOME папка портов — ~/.config/velalink/ports"}};
  m.files = {{"~/.config/velalink/ports/COMn",
              "ссылка на псевдотерминал интерфейса; убирается при завершении"}};
  m.examples = {{"velasim --both > sim.out &", "Технологический и рабочий интерфейсы:"},
                {"velasim --both --protocol iec --address 3",
                 "Рабочий интерфейс по IEC 60870-5-101 с адресом канала 3:"},
                {"velasim --fault-every 50", "Каждый 50-й ответ — очередная неисправность линии:"}};
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  return vela::WriteManual(vela::SimOptionTableForManual(), SimManual(), argc, argv);
}
