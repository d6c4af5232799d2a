#include "app/commission/CommissionReport.h"

#include <cstdio>
#include <cstdlib>
#include <stdexcept>

#include "app/DeviceIdentification.h"
#include "app/commission/ReadoutText.h"
#include "app/commission/WiringFormat.h"
#include "common/ArkCmnUtils.h"
#include "common/ArkSysUtils.h"
#include "common/HostInfo.h"
#include "common/SafeFile.h"
#include "ident/ArkGost3411.h"

namespace vela {
namespace {

std::string ComputerNameText() {
  const std::string name = ComputerName();
  return name.empty() ? "не определено" : name;
}

std::string UserNameText() {
  const std::string user = UserName();
  return user.empty() ? "не определено" : user;
}

std::string Hex8(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%.8X", value);
  return text;
}

std::string OffsetText(int64_t seconds) {
  if (seconds == 0) return "0 с (совпадают с точностью до 1 с)";
  const std::string size = std::to_string(seconds > 0 ? seconds : -seconds) + " с";
  return (seconds > 0 ? "+" : "-") + size +
         (seconds > 0 ? " (часы прибора спешат)" : " (часы прибора отстают)") +
         ", с точностью до 1 с";
}

// "Протокол: MODBUS RTU" as a row of name and value.
std::vector<std::string> NameValue(const std::string& line) {
  const size_t colon = line.find(": ");
  if (colon == std::string::npos) return {line, ""};
  return {line.substr(0, colon), line.substr(colon + 2)};
}

}  // namespace

TReportFacts FactsOfThisComputer(TDateTime now, const std::string& programName, bool rs485) {
  const std::string program = OwnExecutablePath();
  TReportFacts facts;
  facts.now = now;
  facts.computer = ComputerNameText();
  facts.user = UserNameText();
  facts.programName = programName;
  facts.programVersion = FileVersionText(program);
  try {
    facts.programDigest = HashFileGost256(program);
  } catch (const std::exception& e) {
    throw std::runtime_error(
        std::string("Не удалось вычислить цифровой идентификатор программы: ") + e.what());
  }
  facts.rs485 = rs485;
  return facts;
}

TReportDocument CommissionReport(TVelaEngine& engine, const TReportFacts& facts) {
  TVelaEngine& f = engine;
  // Computer time when the clock answer arrived.
  const TBlockResult* clockBlock = f.LastOutcome().Block(jobGetTime);
  const TDateTime clockAnswerAt = clockBlock && clockBlock->answered ? clockBlock->answeredAt : 0;

  TReportDocument doc;
  doc.title = "Протокол пусконаладки преобразователя Vela";
  doc.sections.push_back({"Составлен",
                          {},
                          {{"Дата и время", SecondsToText(DateTimeToSeconds(facts.now))},
                           {"Компьютер", facts.computer},
                           {"Пользователь", facts.user}}});

  doc.sections.push_back(
      {"Программа",
       {},
       {{"Наименование", "Программа конфигурации и отображения результатов измерений Vela."},
        {"Идентификационное наименование", facts.programName},
        {"Номер версии", facts.programVersion},
        {"Цифровой идентификатор (ГОСТ Р 34.11-2012)", facts.programDigest}}});

  TReportSection device{"Прибор", {}, {}};
  if (f.FDevInfoRead) {
    const TSoftwareIdentity software =
        SoftwareIdentity(f.FDevInfo->GetSID(), f.FDevInfo->GetDigitalId());
    char serial[16];
    std::snprintf(serial, sizeof serial, "%.6u", f.FDevInfo->GetSerial());
    device.rows = {{"Серийный номер", serial},
                   {"HID", Hex8(f.FDevInfo->GetHID())},
                   {"SID", Hex8(f.FDevInfo->GetSID())},
                   {"Наименование ПО", software.name},
                   {"Идентификационное наименование ПО", software.identificationName},
                   {"Номер версии ПО", software.version},
                   {"Цифровой идентификатор ПО", software.digitalId},
                   {"Алгоритм вычисления цифрового идентификатора ПО", software.algorithm}};
  } else {
    device.rows = {{"Идентификация", "прибор не передаёт идентификационные данные (старое ПО)"}};
  }
  doc.sections.push_back(device);

  TReportSection settings{"Установки рабочего интерфейса (RS-485) и тип сети", {}, {}};
  for (const std::string& line : SettingsLines(f)) {
    if (line == f.SerialCaption()) continue;  // the serial number, shown above
    settings.rows.push_back(NameValue(line));
  }
  doc.sections.push_back(settings);

  const TProgramLink& link = f.ProgramLink();
  doc.sections.push_back(
      {"Связь при составлении",
       {},
       {{"Порт", f.ProgramLink().port},
        {"Интерфейс", facts.rs485 ? "RS-485 (рабочий)" : "USB (технологический)"},
        {"Протокол, скорость, формат, адрес", link.ProtocolText() + ", " + link.SpeedText() + ", " +
                                                  link.FrameText() + ", " + link.AddressText()}}});

  TReportSection clock{"Часы прибора", {}, {}};
  const std::string clockShown = f.DeviceClockText();
  clock.rows.push_back({"Показание", clockShown.empty() ? "не прочитано" : clockShown});
  if (clockAnswerAt != 0 && !clockShown.empty()) {
    const int64_t offset = static_cast<int64_t>(f.FTimePrm->GetSeconds()) -
                           static_cast<int64_t>(DateTimeToSeconds(clockAnswerAt));
    clock.rows.push_back(
        {"Время компьютера при ответе", SecondsToText(DateTimeToSeconds(clockAnswerAt))});
    clock.rows.push_back({"Расхождение с часами компьютера", OffsetText(offset)});
  }
  doc.sections.push_back(clock);

  TReportSection values{"Показания", {"Величина", "Значение", "Единица", "Признак качества"}, {}};
  for (const TCellRow& row : CellRows(*f.FCells)) {
    values.rows.push_back({row.name, row.value, row.unit, row.mark.empty() ? "—" : row.mark});
  }
  doc.sections.push_back(values);
  if (AnyValueShown(*f.FCells)) {
    doc.sections.push_back(WiringReportSection(AnalyseWiring(ValuesOf(*f.FCells))));
  }

  return doc;
}

bool WriteReport(const std::string& fileName, const TReportDocument& document) {
  const bool markdown = fileName.size() > 3 && fileName.compare(fileName.size() - 3, 3, ".md") == 0;
  return WriteWholeFile(fileName, markdown ? RenderMarkdown(document) : RenderHtml(document)).Ok();
}

}  // namespace vela
