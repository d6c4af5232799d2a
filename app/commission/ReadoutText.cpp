#include "app/commission/ReadoutText.h"

#include "iec101/IecDeviceOptions.h"

namespace vela {

std::vector<TCellRow> CellRows(const TMeasurementCells& cells, const TValueTags* tags) {
  std::vector<TCellRow> rows;
  for (int slot = 0; slot < kSlotCount; ++slot) {
    const TClrValue& cell = cells[slot];
    switch (cell.State()) {
      case cvsNone:
        if (tags && (*tags)[slot].invalid) {
          rows.push_back({cell.Name(), "", cell.Unit(), QualityMarkText(cvsInvalid)});
        }
        continue;
      case cvsEmpty:
        rows.push_back({cell.Name(), "нет значения", "", ""});
        break;
      case cvsValue:
        rows.push_back({cell.Name(), cell.GetText(), cell.Unit(), ""});
        break;
      default:
        rows.push_back({cell.Name(), "", cell.Unit(), cell.GetText()});  // the quality mark
        break;
    }
  }
  return rows;
}

std::vector<std::string> CellLines(const TMeasurementCells& cells, const TValueTags* tags) {
  std::vector<std::string> lines;
  for (const TCellRow& row : CellRows(cells, tags)) {
    std::string text = row.name + " = ";
    if (!row.mark.empty()) {
      text += row.mark;
    } else {
      text += row.value;
      if (!row.unit.empty()) text += " " + row.unit;
    }
    lines.push_back(text);
  }
  return lines;
}

bool AnyValueShown(const TMeasurementCells& cells) {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    if (cells[slot].State() == cvsValue) return true;
  }
  return false;
}

std::string ClockLine(const TVelaEngine& form) {
  const std::string shown = form.DeviceClockText();
  return shown.empty() ? std::string() : "Часы прибора: " + shown;
}

std::vector<std::string> SettingsLines(const TVelaEngine& form) {
  const TIecDeviceOptions& iec = form.IecDeviceOptions();
  const TDeviceSettingsModel& shown = form.DeviceSettings();
  std::vector<std::string> lines = {
      "Протокол: " + shown.ProtocolText(),
      "Скорость: " + shown.SpeedText(),
      "Формат: " + shown.FrameText(),
      "Адрес: " + (shown.address > 0 ? std::to_string(shown.address) : "не задан"),
      "Сеть: " + shown.NetworkText(),
  };
  if (const std::string serial = form.SerialCaption(); !serial.empty()) {
    lines.insert(lines.begin(), serial);  // the serial number
  }
  if (shown.protocol == 2) {
    lines.push_back(
        "IEC 60870-5-101: длина адреса канального уровня " + std::to_string(iec.LinkAddressLength) +
        ", общего адреса ASDU " + std::to_string(iec.CommonAddressLength) + ", причины передачи " +
        std::to_string(iec.CotLength) + ", адреса объекта " + std::to_string(iec.IoaLength));
    lines.push_back("ASDU " + std::to_string(iec.AsduFormat) + ", общий адрес ASDU " +
                    std::to_string(iec.CommonAddress) + ", циклическая передача " +
                    (iec.CyclicTransmission ? "вкл, интервал " + std::to_string(iec.CyclicInterval)
                                            : std::string("выкл")));
  }
  return lines;
}

}  // namespace vela
