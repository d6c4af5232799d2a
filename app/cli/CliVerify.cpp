// `verify`: the identification report of the program and the device; with
// --format csv or json the identification as records (the report itself goes
// to standard error then, as the log of the other commands does).

#include <cstdio>

#include "app/DeviceIdentification.h"
#include "app/cli/CliRecords.h"
#include "app/cli/CliSession.h"

namespace vela::cli {
namespace {

// As the identification report gives them.
constexpr const char* kProgramName =
    "Программа конфигурации и отображения результатов измерений Vela";
constexpr const char* kProgramIdName = "VelaLink";
constexpr const char* kProgramDigestAlgorithm = "хэширование по ГОСТ Р 34.11-2012";

const std::vector<std::string> kColumns = {"software", "name",       "identification_name",
                                           "version",  "digital_id", "algorithm",
                                           "serial",   "hid",        "sid"};

std::string Hex8(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%.8X", value);
  return text;
}

TRecord Software(const char* software, const std::string& name, const std::string& idName,
                 const std::string& version, const std::string& digitalId,
                 const std::string& algorithm) {
  TRecord record;
  record["software"] = software;
  record["name"] = name;
  record["identification_name"] = idName;
  record["version"] = version;
  record["digital_id"] = digitalId;
  record["algorithm"] = algorithm;
  return record;
}

}  // namespace

int TCliSession::RunVerify() {
  if (!RunOperation([&] { engine_->Start(TOperationKind::Identification); })) return 1;
  const TOperationOutcome& outcome = Outcome();
  if (!outcome.Succeeded() || !outcome.identification || !outcome.identification->verified) {
    return Fail("Верификация не выполнена.");
  }
  if (options_.format == TOutputFormat::Text) return 0;  // the report is printed as it grows
  TRecord program = Software("program", kProgramName, kProgramIdName, programVersion_,
                             programDigest_, kProgramDigestAlgorithm);
  const TMbusDevInfo& info = *engine_->FDevInfo;
  const TSoftwareIdentity identity = SoftwareIdentity(info.GetSID(), info.GetDigitalId());
  TRecord device = Software("device", identity.name, identity.identificationName, identity.version,
                            identity.digitalId, identity.algorithm);
  device["serial"] = info.GetSerial();
  device["hid"] = Hex8(info.GetHID());
  device["sid"] = Hex8(info.GetSID());
  if (options_.format == TOutputFormat::Csv) {
    PrintData(CsvRecords(kColumns, {program, device}));
    return 0;
  }
  program.erase("software");
  device.erase("software");
  TRecord report;
  report["verified"] = true;
  report["program"] = program;
  report["device"] = device;
  PrintData(JsonLine(report));
  return 0;
}

}  // namespace vela::cli
