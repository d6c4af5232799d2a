#include "qt/WindowCommandLine.h"

#include <cstdlib>

namespace vela {
namespace {

int ParseSeconds(const std::string& text) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < 0 || value > 86400 * 365) {
    throw TOptionError("Недопустимое значение --continuous \"" + text +
                       "\": нужно число секунд, 0 или больше.");
  }
  return static_cast<int>(value);
}

}  // namespace

TOptionTable WindowOptionTable(WindowCommandLine& line) {
  TOptionTable table("velalink [ПАРАМЕТРЫ]",
                     "VelaLink — программа конфигурации и отображения результатов измерений Vela.");
  table.LeaveOtherWords();  // Qt's own options and their values
  table.Section("Параметры:");
  QtAutoReadOptions& autoRead = line.autoRead;
  table.Add({"--port", "", "COMn", "выбрать порт при запуске", [&autoRead](const std::string& v) {
               if (v.empty()) throw TOptionError("Для --port не указан порт.");
               autoRead.port = v;
             }});
  table.Add({"--interface", "", "usb|rs485", "интерфейс прибора: технологический или рабочий",
             [&autoRead](const std::string& v) {
               if (v != "usb" && v != "rs485") {
                 throw TOptionError("Недопустимый интерфейс \"" + v + "\": usb или rs485.");
               }
               autoRead.rs485 = v == "rs485";
             }});
  table.Add({"--protocol", "", "rtu|iec101", "протокол программы (iec101 — через rs485)",
             [&autoRead](const std::string& v) {
               if (v != "rtu" && v != "iec101") {
                 throw TOptionError("Недопустимый протокол \"" + v + "\": rtu или iec101.");
               }
               autoRead.iec = v == "iec101";
             }});
  table.Add({"--autoread", "", "",
             "прочитать однократно, сохранить снимок окна (--screenshot) и завершиться",
             [&autoRead](const std::string&) { autoRead.readOnce = true; }});
  table.Add({"--continuous", "", "СЕКУНДЫ",
             "читать непрерывно СЕКУНДЫ секунд и завершиться (0 — пока окно не закрыто)",
             [&autoRead](const std::string& v) {
               autoRead.continuous = true;
               autoRead.runSeconds = ParseSeconds(v);
             }});
  table.Add({"--screenshot", "", "ФАЙЛ", "сохранить снимок окна в ФАЙЛ (PNG) и завершиться",
             [&autoRead](const std::string& v) {
               if (v.empty()) throw TOptionError("Для --screenshot не указан файл.");
               autoRead.screenshot = QString::fromLocal8Bit(v.c_str());
             }});
  table.Add({"--report-paint", "", "",
             "напечатать время первой отрисовки окна (first-paint-epoch-ms)",
             [&line](const std::string&) { line.reportPaint = true; }});
  table.Add({"--exact-timing", "", "",
             "точная выдержка: каждый ответ принимается только после паузы 50 мс "
             "(по умолчанию — как только кадр полон и верен)",
             [&line](const std::string&) { line.exactTiming = true; }});
  table.Add({"--fast", "", "", "быстрый обмен (он и так по умолчанию)", [](const std::string&) {}});
  table.Add({"--help", "-h", "", "показать эту справку",
             [&line](const std::string&) { line.help = true; }});
  table.Add({"--version", "", "", "показать версию программы",
             [&line](const std::string&) { line.version = true; }});
  table.Epilogue(
      "Параметры Qt (-platform offscreen, -style ...) передаются библиотеке Qt.\n"
      "Код возврата: 0 — выполнено, 1 — не выполнено, 2 — ошибка в командной строке.");
  return table;
}

TOptionTable WindowOptionTableForManual() {
  static WindowCommandLine unused;
  return WindowOptionTable(unused);
}

WindowCommandLine ParseWindowCommandLine(const std::vector<std::string>& args) {
  WindowCommandLine line;
  try {
    WindowOptionTable(line).Parse(args);
  } catch (const TOptionError& e) {
    line.error = e.what();
  }
  return line;
}

std::string WindowUsageText() {
  WindowCommandLine unused;
  return WindowOptionTable(unused).Help();
}

}  // namespace vela
