#include "app/JobCodes.h"

namespace vela {

bool IsBlockJob(uint8_t code) {
  return code >= jobGetMainPrm && code <= jobDevInfo;
}

TTimeoutRule TimeoutRuleOf(uint8_t code) {
  switch (code) {
    case jobGetMainPrm:
    case jobGetLinkPrm:
    case jobGetLinkPrm2:
    case jobGetLinkPrm3:
    case jobGetLinkPrm4:
      return TTimeoutRule::ReadParameter;
    case jobDevInfo:
      return TTimeoutRule::Identification;
    case jobSetMainPrm:
    case jobFinalizePrm:
    case jobSetLinkPrm:
    case jobSetLinkPrm2:
    case jobSetLinkPrm3:
    case jobSetLinkPrm4:
      return TTimeoutRule::Repeat;
    case jobGetValues:
    case jobGetF:
    case jobGetTime:
    case jobGetCos3:
    case jobGetCos4:
      return TTimeoutRule::MoveOn;
    case jobSetTime:
      return TTimeoutRule::Clock;
    default:
      return TTimeoutRule::Nothing;
  }
}

TBlockAccess BlockAccessOf(uint8_t code) {
  switch (code) {
    case jobGetMainPrm:
    case jobGetLinkPrm:
    case jobGetLinkPrm2:
    case jobGetLinkPrm3:
    case jobGetLinkPrm4:
    case jobGetTime:
      return TBlockAccess::ReadParams;
    case jobSetMainPrm:
    case jobFinalizePrm:
    case jobSetLinkPrm:
    case jobSetLinkPrm2:
    case jobSetLinkPrm3:
    case jobSetLinkPrm4:
    case jobSetTime:
      return TBlockAccess::WriteParams;
    case jobGetValues:
    case jobGetF:
    case jobGetCos3:
    case jobGetCos4:
    case jobDevInfo:
      return TBlockAccess::ReadValues;
    default:
      return TBlockAccess::None;
  }
}

std::string JobName(uint8_t code, bool threeWire) {
  static const char* const kNames[] = {
      "None",        "GetMainPrm",  "SetMainPrm",  "FinalizePrm", "GetLinkPrm",  "SetLinkPrm",
      "GetLinkPrm2", "SetLinkPrm2", "GetLinkPrm3", "SetLinkPrm3", "GetLinkPrm4", "SetLinkPrm4",
      "GetValues4",  "GetF",        "GetTime",     "SetTime",     "GetCos3",     "GetCos4",
      "DevInfo",     "LoopAgain",   "Finish",      "RecordCsv",   "RedrawPanel", "ApplyFactoryLink",
      "VerifyDevice"};
  if (code == jobGetValues && threeWire) return "GetValues3";
  if (code < std::size(kNames)) return kNames[code];
  return "Job" + std::to_string(code);
}

namespace joblists {
const std::vector<uint8_t> kReadOnce = {jobGetValues, jobGetF,        jobGetCos3,   jobGetCos4,
                                        jobGetTime,   jobRedrawPanel, jobRecordCsv, jobFinish};
const std::vector<uint8_t> kReadContinuously = {jobGetValues, jobGetF,     jobGetTime,
                                                jobGetCos3,   jobGetCos4,  jobRedrawPanel,
                                                jobRecordCsv, jobLoopAgain};
const std::vector<uint8_t> kReadSettings = {jobFinish};
const std::vector<uint8_t> kWriteSettings = {jobSetLinkPrm2, jobSetLinkPrm3, jobSetLinkPrm4,
                                             jobSetMainPrm,  jobSetLinkPrm,  jobFinalizePrm,
                                             jobFinish};
const std::vector<uint8_t> kWriteFactoryDefaults = {
    jobSetLinkPrm2, jobSetLinkPrm3,      jobSetLinkPrm4, jobSetMainPrm,
    jobSetLinkPrm,  jobApplyFactoryLink, jobFinalizePrm, jobFinish};
const std::vector<uint8_t> kSetClock = {jobSetTime, jobFinish};
const std::vector<uint8_t> kIdentificationReport = {jobVerifyDevice, jobFinish};
const std::vector<uint8_t> kIdentificationProbe = {jobDevInfo, jobFinish};
}  // namespace joblists

}  // namespace vela
