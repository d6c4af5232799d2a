#pragma once
// The job codes of the sequencer, their trace names and time-out rules, and
// the job lists of the Modbus operations.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vela {

enum TJobCode : uint8_t {
  jobNone = 0,
  jobGetMainPrm = 1,
  jobSetMainPrm = 2,
  jobFinalizePrm = 3,
  jobGetLinkPrm = 4,
  jobSetLinkPrm = 5,
  jobGetLinkPrm2 = 6,
  jobSetLinkPrm2 = 7,
  jobGetLinkPrm3 = 8,
  jobSetLinkPrm3 = 9,
  jobGetLinkPrm4 = 10,
  jobSetLinkPrm4 = 11,
  jobGetValues = 12,
  jobGetF = 13,
  jobGetTime = 14,
  jobSetTime = 15,
  jobGetCos3 = 16,
  jobGetCos4 = 17,
  jobDevInfo = 18,
  jobLoopAgain = 19,
  jobFinish = 20,
  jobRecordCsv = 21,
  jobRedrawPanel = 22,
  jobApplyFactoryLink = 23,
  jobVerifyDevice = 24,
};

// What happens when the response time-out of a job fires first.
enum class TTimeoutRule {
  Nothing,
  ReadParameter,   // log "Чтение параметров: нет ответа", retry or stop
  Identification,  // log "Чтение идентификационной информации: нет ответа", retry or stop
  Repeat,          // log "Повтор запроса ...", retry or stop
  MoveOn,          // advance silently
  Clock,           // empty the clock field, log, stop
};

// How a block job talks to its register block.
enum class TBlockAccess { None, ReadParams, WriteParams, ReadValues };

inline constexpr int kJobListSize = 32;
using TJobList = std::array<uint8_t, kJobListSize>;

// The six jobs at the head of every list; they never change.
inline constexpr int kPrefixLength = 6;
inline constexpr std::array<uint8_t, kPrefixLength> kJobPrefix = {
    jobDevInfo, jobGetMainPrm, jobGetLinkPrm, jobGetLinkPrm2, jobGetLinkPrm3, jobGetLinkPrm4};

bool IsBlockJob(uint8_t code);
TTimeoutRule TimeoutRuleOf(uint8_t code);
TBlockAccess BlockAccessOf(uint8_t code);
// The name written to the debug trace; threeWire picks GetValues3 or GetValues4.
std::string JobName(uint8_t code, bool threeWire);

// The jobs each operation writes behind the prefix.
namespace joblists {
extern const std::vector<uint8_t> kReadOnce;
extern const std::vector<uint8_t> kReadContinuously;
extern const std::vector<uint8_t> kReadSettings;
extern const std::vector<uint8_t> kWriteSettings;
extern const std::vector<uint8_t> kWriteFactoryDefaults;
extern const std::vector<uint8_t> kSetClock;
extern const std::vector<uint8_t> kIdentificationReport;
extern const std::vector<uint8_t> kIdentificationProbe;
}  // namespace joblists

}  // namespace vela
