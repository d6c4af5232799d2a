#include "app/cli/WriteReportFormat.h"

#include <nlohmann/json.hpp>

#include "app/EngineSettings.h"
#include "app/JobCodes.h"
#include "app/WriteVerdict.h"

namespace vela::cli {
namespace {

nlohmann::ordered_json DeviceJson(const TSettingsReport& d) {
  const TDeviceSettingsModel model{d.protocol, d.speedIndex, d.frameIndex, d.address, d.threeWire};
  nlohmann::ordered_json device;
  device["serial"] = d.serialNumber;
  device["protocol"] = model.ProtocolText();
  device["speed"] = model.SpeedText();
  device["frame"] = model.FrameText();
  device["address"] = d.address;
  device["network"] = d.threeWire ? "3-wire" : "4-wire";
  return device;
}

}  // namespace

std::string WriteResultName(const TOperationOutcome& outcome) {
  if (outcome.Succeeded()) return "written";
  return outcome.write && outcome.write->Partial() ? "partial" : "not-written";
}

std::string WriteResultJson(const TOperationOutcome& outcome) {
  nlohmann::ordered_json json;
  json["result"] = WriteResultName(outcome);
  if (!outcome.Succeeded()) {
    json["reason"] =
        outcome.end == TOutcomeEnd::Cancelled ? "interrupted" : OutcomeReasonName(outcome.reason);
    nlohmann::ordered_json blocks = nlohmann::ordered_json::array();
    if (outcome.write) {
      for (const TWrittenBlock& block : outcome.write->blocks) {
        blocks.push_back(
            {{"block", JobName(block.job, false)}, {"state", WriteStateName(block.state)}});
      }
    }
    json["blocks"] = blocks;
  }
  const std::optional<TSettingsReport>& device =
      outcome.Succeeded()
          ? outcome.settings
          : (outcome.write ? outcome.write->device : std::optional<TSettingsReport>());
  json["device"] = device ? DeviceJson(*device) : nlohmann::ordered_json();
  return json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::vector<std::string> WriteReportLines(const TWriteReport& report) {
  std::vector<std::string> lines;
  for (const TWrittenBlock& block : report.blocks) {
    lines.push_back(JobName(block.job, false) + ": " + WriteStateText(block.state));
  }
  if (report.device) {
    const TSettingsReport& d = *report.device;
    const TDeviceSettingsModel now{d.protocol, d.speedIndex, d.frameIndex, d.address, d.threeWire};
    lines.push_back("В приборе: " + now.ProtocolText() + ", " + now.SpeedText() + ", " +
                    now.FrameText() + ", адрес " + std::to_string(d.address) + ", " +
                    now.NetworkText());
  } else {
    lines.push_back("В приборе: не прочитано");
  }
  return lines;
}

}  // namespace vela::cli
