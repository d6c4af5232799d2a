#include "app/commission/WiringFormat.h"

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "display/PhasorDiagram.h"
#include "display/SvgCanvas.h"

namespace vela {
namespace {

std::string Fixed(const char* format, double value) {
  char text[48];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

// Rounded as the text shows it, so scripts and the operator see one number
// (and no "-0.0").
double Rounded(double value, int decimals) {
  const double scale = std::pow(10.0, decimals);
  return std::round(value * scale) / scale + 0.0;
}

const char* UnitOf(const TPhasor& phasor) {
  return phasor.voltage ? "В" : "А";
}

}  // namespace

std::string PhasorText(const TPhasor& phasor) {
  std::string text = phasor.name + " = " +
                     Fixed(phasor.voltage ? "%.2f" : "%.4f", phasor.magnitude) + " " +
                     UnitOf(phasor);
  if (phasor.degrees) text += " ∠ " + Fixed("%.1f", Rounded(*phasor.degrees, 1)) + "°";
  return text;
}

std::vector<std::string> WiringLines(const TWiringResult& result) {
  std::vector<std::string> lines;
  lines.push_back(std::string("Сеть: ") + (result.fourWire ? "4-проводная" : "3-проводная"));
  for (const TPhasor& phasor : result.phasors) lines.push_back(PhasorText(phasor));
  for (const TWiringAngle& angle : result.angles) {
    lines.push_back(angle.label + " = " + Fixed("%.1f", Rounded(angle.degrees, 1)) + "°");
  }
  if (result.voltageUnbalance) {
    lines.push_back("Несимметрия напряжений = " + Fixed("%.1f", *result.voltageUnbalance * 100) +
                    " %");
  }
  if (result.currentUnbalance) {
    lines.push_back("Несимметрия токов = " + Fixed("%.1f", *result.currentUnbalance * 100) + " %");
  }
  for (const TWiringFinding& finding : result.findings) {
    std::string phases;
    for (const std::string& phase : finding.phases) phases += (phases.empty() ? "" : ",") + phase;
    lines.push_back("Нарушение " + finding.code + (phases.empty() ? "" : " (" + phases + ")") +
                    ": " + finding.text);
  }
  for (const std::string& text : result.notChecked) lines.push_back("Не проверено: " + text);
  if (result.findings.empty()) lines.push_back("Нарушений подключения не найдено.");
  return lines;
}

TReportSection WiringReportSection(const TWiringResult& result) {
  TReportSection section{"Подключение: векторная диаграмма", {}, {}};
  TSvgCanvas canvas(kPhasorPictureWidth, kPhasorPictureHeight);
  DrawPhasorPicture(canvas, kPhasorPictureWidth, kPhasorPictureHeight, &result);
  section.svg = canvas.Svg();
  section.rows.push_back({"Сеть", result.fourWire ? "4-проводная" : "3-проводная"});
  for (const TPhasor& phasor : result.phasors) {
    const std::string text = PhasorText(phasor);
    section.rows.push_back({phasor.name, text.substr(text.find(" = ") + 3)});
  }
  for (const TWiringAngle& angle : result.angles) {
    section.rows.push_back({angle.label, Fixed("%.1f", Rounded(angle.degrees, 1)) + "°"});
  }
  if (result.voltageUnbalance) {
    section.rows.push_back(
        {"Несимметрия напряжений", Fixed("%.1f", *result.voltageUnbalance * 100) + " %"});
  }
  if (result.currentUnbalance) {
    section.rows.push_back(
        {"Несимметрия токов", Fixed("%.1f", *result.currentUnbalance * 100) + " %"});
  }
  for (const TWiringFinding& finding : result.findings) {
    section.rows.push_back({"Нарушение " + finding.code, finding.text});
  }
  if (result.findings.empty()) section.rows.push_back({"Нарушения", "не найдены"});
  for (const std::string& text : result.notChecked) section.rows.push_back({"Не проверено", text});
  return section;
}

std::string WiringJson(const TWiringResult& result) {
  nlohmann::ordered_json json;
  json["network"] = result.fourWire ? "4-wire" : "3-wire";
  json["phasors"] = nlohmann::ordered_json::object();
  for (const TPhasor& phasor : result.phasors) {
    auto& p = json["phasors"][phasor.name];
    p["magnitude"] = Rounded(phasor.magnitude, phasor.voltage ? 2 : 4);
    p["angle"] = phasor.degrees ? nlohmann::ordered_json(Rounded(*phasor.degrees, 1)) : nullptr;
    p["unit"] = UnitOf(phasor);
  }
  json["angles"] = nlohmann::ordered_json::object();
  for (const TWiringAngle& angle : result.angles)
    json["angles"][angle.key] = Rounded(angle.degrees, 1);
  const auto share = [](const std::optional<double>& value) {
    return value ? nlohmann::ordered_json(Rounded(*value, 4)) : nullptr;
  };
  json["unbalance"] = {{"voltage", share(result.voltageUnbalance)},
                       {"current", share(result.currentUnbalance)}};
  json["findings"] = nlohmann::ordered_json::array();
  for (const TWiringFinding& finding : result.findings) {
    json["findings"].push_back(
        {{"code", finding.code}, {"phases", finding.phases}, {"text", finding.text}});
  }
  json["not_checked"] = result.notChecked;
  return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace vela
