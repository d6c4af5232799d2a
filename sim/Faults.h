#pragma once
// Line faults the simulator can be told to make, to try the master's handling.

#include <cstdint>
#include <optional>
#include <set>
#include <vector>

namespace vela {

// Faults that change the contents of an answer.
struct AnswerFaults {
  bool badChecksum = false;   // the checksum of every answer is wrong
  bool wrongAddress = false;  // every answer carries another address
  // IEC 60870-5-101 only.
  // E5h instead of the ACK and "no data" frames whenever the answer would
  // carry ACD = 0 and DFC = 0 (a single character has no room for either).
  bool iecSingleChar = false;
  int iecDfcAnswers = 0;   // DFC = 1 in the first N answers; kEveryAnswer: in all
  bool iecNack = false;    // user data refused with NACK (link busy)
  uint8_t iecQuality = 0;  // QDS bits set on every measured value
  // Input registers of the values sent with IV (invalid) in their QDS.
  std::set<uint16_t> iecInvalid{};
  // Command answers only for class 1 requests (ACD = 1 tells they wait);
  // a class 2 request never takes them.
  bool iecClass1Only = false;
  // Command answers queued in class 2 behind a cycle of periodic values.
  bool iecPeriodicFirst = false;
  // The station restarts after every N answers to data requests: from then
  // on it answers function 14 (link not functioning) until its link is reset.
  int iecRestartAfter = 0;
  // Measured values only in answer to a station interrogation: class 2 holds
  // nothing of its own (a device with cyclic transmission off).
  bool iecInterrogationOnly = false;
  // The class the interrogated values go to: 1, or 2 behind class 1.
  int iecInterrogationClass = 1;
  // Every N ms one measured value changes: a spontaneous ASDU (cause 3) with
  // that one object goes to class 1; 0: no events.
  int iecEventMs = 0;
  // Measured values one object per ASDU.
  bool iecOneObject = false;
  // Every command is refused: mirrored with this cause and P/N = 1 (7: a
  // negative confirmation; 44..47: unknown type, cause, common address,
  // object address); 0: carried out.
  uint8_t iecRefuseCause = 0;
  // The link address of the working interface in IEC 60870-5-101 when it
  // is not the device address (above 247, with a 2-octet address field);
  // 0: the device address.
  uint16_t iecLinkAddress = 0;
};

constexpr int kEveryAnswer = -1;

// Faults in when and how an answer goes out.
struct TimingFaults {
  bool silent = false;  // no answer at all
  int skipEvery = 0;    // k > 0: no answer to every k-th request
  int delayMs = 0;      // extra wait before the answer
  bool split = false;   // the answer in two parts with a long gap between them
  bool noise = false;   // one noise octet after every answer
};

// A fault made to one answer in a long run (see FaultRotation).
enum class LineFault : uint8_t {
  kNoAnswer,      // the answer is left out
  kBadChecksum,   // the checksum is wrong
  kSplit,         // the answer in two parts with a long gap between them
  kWrongAddress,  // another device's address (IEC: link address)
  kBusy,          // MODBUS exception 6; IEC: NACK, the request not taken
  kLate,          // the answer comes after the master's time-out
};
constexpr int kLineFaultKinds = 6;

// Every k-th answer gets the next fault of the list, in turn.
struct RotatingFaults {
  int every = 0;  // 0: none
  std::vector<LineFault> kinds;
  int lateMs = 600;  // beyond every answer time-out of the program at 115200
};

// The measured-value blocks of the MODBUS read cycle.
enum class ValueBlock : uint8_t { kValues, kFrequency, kClock, kTotalCos, kPhaseCos };

// A fault aimed at the MODBUS reads of one block (see BlockFaults.h).
struct BlockFault {
  std::optional<ValueBlock> block;        // none: no block fault
  LineFault kind = LineFault::kNoAnswer;  // kNoAnswer or kBusy
  int every = 1;                          // every k-th read of the block
};

constexpr int64_t kSplitGapUs = 80000;  // well above the master's 50 ms
constexpr char kNoiseOctet = '\xFF';

}  // namespace vela
