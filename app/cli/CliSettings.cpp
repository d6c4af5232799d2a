// `settings`: the device's interface settings and network type, and with
// --save a profile of them. For scripts (--format csv, json) one record:
// serial, protocol, speed, frame, address, network ("3-wire", "4-wire") and
// the device's IEC 60870-5-101 options, null unless it speaks that protocol.

#include "app/cli/CliRecords.h"
#include "app/cli/CliSession.h"
#include "app/commission/ReadoutText.h"

namespace vela::cli {
namespace {

const std::vector<std::string> kSettingsColumns = {"serial",
                                                   "protocol",
                                                   "speed",
                                                   "frame",
                                                   "address",
                                                   "network",
                                                   "iec_link_address_length",
                                                   "iec_cot_length",
                                                   "iec_common_address_length",
                                                   "iec_ioa_length",
                                                   "iec_asdu_format",
                                                   "iec_common_address",
                                                   "iec_cyclic_transmission",
                                                   "iec_cyclic_interval"};

TRecord SettingsRecord(const TVelaEngine& form) {
  const TDeviceSettingsModel& shown = form.DeviceSettings();
  const std::optional<TSettingsReport>& read = form.LastOutcome().settings;
  const std::string speed = shown.SpeedText();
  TRecord record;
  record["serial"] = read ? TRecord(read->serialNumber) : TRecord();
  record["protocol"] = TextOrNull(shown.ProtocolText());
  record["speed"] = speed.empty() ? TRecord() : TRecord(std::stoi(speed));
  record["frame"] = TextOrNull(shown.FrameText());
  record["address"] = shown.address > 0 ? TRecord(shown.address) : TRecord();
  record["network"] = shown.threeWire ? TRecord(*shown.threeWire ? "3-wire" : "4-wire") : TRecord();
  const bool iec = shown.protocol == 2;
  const TIecDeviceOptions& o = form.IecDeviceOptions();
  const auto ofIec = [iec](const TRecord& value) { return iec ? value : TRecord(); };
  record["iec_link_address_length"] = ofIec(o.LinkAddressLength);
  record["iec_cot_length"] = ofIec(o.CotLength);
  record["iec_common_address_length"] = ofIec(o.CommonAddressLength);
  record["iec_ioa_length"] = ofIec(o.IoaLength);
  record["iec_asdu_format"] = ofIec(o.AsduFormat);
  record["iec_common_address"] = ofIec(o.CommonAddress);
  record["iec_cyclic_transmission"] = ofIec(o.CyclicTransmission);
  record["iec_cyclic_interval"] = ofIec(o.CyclicInterval);
  return record;
}

}  // namespace

int TCliSession::RunSettings() {
  if (!RunOperation([&] { engine_->Start(TOperationKind::ReadSettings); })) return 1;
  if (!Outcome().Succeeded() || !Outcome().settings) {
    return Fail("Установки прибора не прочитаны.");
  }
  // With --save - the profile alone is the data on standard output.
  if (options_.commission.saveFile == kToStandardOutput) return SaveProfile();
  if (options_.format == TOutputFormat::Json) {
    PrintData(JsonLine(SettingsRecord(*engine_)));
  } else if (options_.format == TOutputFormat::Csv) {
    PrintData(CsvRecords(kSettingsColumns, {SettingsRecord(*engine_)}));
  } else {
    for (const std::string& line : SettingsLines(*engine_)) Print(line);
  }
  return options_.commission.saveFile.empty() ? 0 : SaveProfile();
}

}  // namespace vela::cli
