#include "qt/WindowCommandLine.h"

#include <cstdlib>

namespace vela {
namespace {

std::string ParseSeconds(const std::string& text, int& seconds) {
  char* end = nullptr;
  const long value = std::strtol(text.c_str(), &end, 10);
  if (text.empty() || *end != '\0' || value < 0 || value > 86400 * 365) {
    return "Недопустимое значение --continuous \"" + text + "\": нужно число секунд, 0 или больше.";
  }
  seconds = static_cast<int>(value);
  return {};
}

const WindowOption* FindOption(const std::string& name) {
  for (const WindowOption& option : WindowOptions()) {
    if (option.name == name) return &option;
  }
  return nullptr;
}

}  // namespace

const std::vector<WindowOption>& WindowOptions() {
  using L = WindowCommandLine;
  static const std::vector<WindowOption> options = {
      {"--port", "COMn", "выбрать порт при запуске",
       [](L& l, const std::string& v) {
         l.autoRead.port = v;
         return v.empty() ? std::string("Для --port не указан порт.") : std::string();
       }},
      {"--interface", "usb|rs485", "интерфейс прибора: технологический или рабочий",
       [](L& l, const std::string& v) {
         l.autoRead.rs485 = v == "rs485";
         return v == "usb" || v == "rs485" ? std::string()
                                           : "Недопустимый интерфейс \"" + v + "\": usb или rs485.";
       }},
      {"--protocol", "rtu|iec101", "протокол программы (iec101 — через rs485)",
       [](L& l, const std::string& v) {
         l.autoRead.iec = v == "iec101";
         return v == "rtu" || v == "iec101"
                    ? std::string()
                    : "Недопустимый протокол \"" + v + "\": rtu или iec101.";
       }},
      {"--autoread", "", "прочитать однократно, сохранить снимок окна (--screenshot) и завершиться",
       [](L& l, const std::string&) {
         l.autoRead.readOnce = true;
         return std::string();
       }},
      {"--continuous", "СЕКУНДЫ",
       "читать непрерывно СЕКУНДЫ секунд и завершиться (0 — пока окно не закрыто)",
       [](L& l, const std::string& v) {
         l.autoRead.continuous = true;
         return ParseSeconds(v, l.autoRead.runSeconds);
       }},
      {"--screenshot", "ФАЙЛ", "сохранить снимок окна в ФАЙЛ (PNG) и завершиться",
       [](L& l, const std::string& v) {
         l.autoRead.screenshot = QString::fromLocal8Bit(v.c_str());
         return v.empty() ? std::string("Для --screenshot не указан файл.") : std::string();
       }},
      {"--report-paint", "", "напечатать время первой отрисовки окна (first-paint-epoch-ms)",
       [](L& l, const std::string&) {
         l.reportPaint = true;
         return std::string();
       }},
      {"--fast", "", "быстрый обмен: ответ принимается, как только кадр полон",
       [](L& l, const std::string&) {
         l.fast = true;
         return std::string();
       }},
      {"--help", "", "показать эту справку",
       [](L& l, const std::string&) {
         l.help = true;
         return std::string();
       }},
      {"--version", "", "показать версию программы",
       [](L& l, const std::string&) {
         l.version = true;
         return std::string();
       }},
  };
  return options;
}

WindowCommandLine ParseWindowCommandLine(const std::vector<std::string>& args) {
  WindowCommandLine line;
  for (size_t i = 0; i < args.size() && line.error.empty(); ++i) {
    const std::string& arg = args[i];
    if (arg == "-h") {
      line.help = true;
      continue;
    }
    if (arg.rfind("--", 0) != 0) continue;  // Qt's own options and their values
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const WindowOption* option = FindOption(name);
    if (option == nullptr) {
      line.error = "Неизвестный параметр " + name + ".";
    } else if (option->valueName.empty()) {
      if (equals != std::string::npos) line.error = "Параметр " + name + " не принимает значения.";
      if (line.error.empty()) line.error = option->apply(line, "");
    } else if (equals != std::string::npos) {
      line.error = option->apply(line, arg.substr(equals + 1));
    } else if (i + 1 < args.size()) {
      line.error = option->apply(line, args[++i]);
    } else {
      line.error = "Для " + name + " не указано значение.";
    }
  }
  return line;
}

std::string WindowUsageText() {
  std::string text =
      "Использование: velalink [ПАРАМЕТРЫ]\n"
      "VelaLink — программа конфигурации и отображения результатов измерений Vela.\n"
      "\n"
      "Параметры:\n";
  for (const WindowOption& option : WindowOptions()) {
    std::string head = "  " + option.name;
    if (!option.valueName.empty()) head += " " + option.valueName;
    // Cyrillic letters take two octets: pad by characters, not octets.
    size_t width = 0;
    for (unsigned char c : head) width += (c & 0xC0) != 0x80;
    head += std::string(width < 26 ? 26 - width : 1, ' ');
    text += head + option.help + "\n";
  }
  text +=
      "\n"
      "Параметры Qt (-platform offscreen, -style ...) передаются библиотеке Qt.\n"
      "Код возврата: 0 — выполнено, 1 — не выполнено, 2 — ошибка в командной строке.\n";
  return text;
}

}  // namespace vela
