#pragma once
// How an operation ended, as one typed value: the front ends decide on it
// (exit codes, what to print) and the activity log is written beside it
// from the same results, never read back.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/DateTime.h"
#include "display/ClrValue.h"
#include "display/MeasurementCells.h"

namespace vela {

enum class TOperationKind : uint8_t {
  ReadOnce,
  Continuous,
  SyncClock,
  ReadSettings,
  WriteSettings,
  WriteFactory,
  Identification,
  Probe,  // the identification block alone, looking for devices
};

enum class TOutcomeEnd : uint8_t {
  Done,       // everything the operation is for was carried out
  Failed,     // it stopped short: see the reason
  Cancelled,  // the operator (or the program's own owner) stopped it
  Refused,    // it was not started: not available in this mode
};

enum class TOutcomeReason : uint8_t {
  None,
  PortNotOpened,    // the port could not be opened
  SendFailed,       // a request could not be written
  NoAnswer,         // a request got no answer within its time-out and repeats
  BadFrame,         // an answer was broken or from another station
  DeviceException,  // the device refused a request (Modbus exception, IEC NACK)
  PortLost,         // the port itself failed (a device unplugged)
  NotConfirmed,     // IEC: the device did not confirm the command
  NoData,           // IEC: the device had no measured values to give
  LinkNotReady,     // IEC: the device's link is not ready
  UnknownDevice,    // identification: the device is not a Vela
  ModbusOnly,       // refused: the operation needs MODBUS
  Other,            // any other failure; the log says what
  // refused: the settings to write were not read from the device connected
  SettingsUnknown,
  OtherDevice,  // another device answers than the one the settings were read from
};

// What one request of the operation came to (the last time it was sent).
struct TBlockResult {
  uint8_t job = 0;  // the Modbus job code (TJobCode); 0 for an IEC service
  bool sent = false;
  bool answered = false;  // octets came back
  bool taken = false;     // the answer was valid and used
  bool timedOut = false;
  bool badFrame = false;
  bool lineError = false;  // parity, framing or overrun seen during the wait
  int exceptionCode = 0;   // the device's exception code; 0: none
  TDateTime answeredAt = 0;
};

// One cell as the operation left it.
struct TCellReport {
  TClrValueState state = cvsNone;
  double value = 0;
  // Hidden because its block brought nothing in the last reading.
  TMissingReason missing = TMissingReason::None;
};

// The device's interface settings as the link block was read.
struct TSettingsReport {
  uint8_t protocol = 0;
  uint8_t address = 0;
  uint8_t speedIndex = 0;
  uint8_t frameIndex = 0;
  bool threeWire = false;
  uint32_t serialNumber = 0;
};

// Where one block of a write that ended early stands.
enum class TWriteState : uint8_t {
  Written,     // the device confirmed it, or holds its values when read back
  NotWritten,  // never sent, refused by the device, or not held when read back
  Unknown,     // sent without a valid answer and not settled by a read-back
};

struct TWrittenBlock {
  uint8_t job = 0;  // the Set job (or FinalizePrm)
  TWriteState state = TWriteState::NotWritten;
};

// A write that ended early: each block's state and what the device holds now.
struct TWriteReport {
  std::vector<TWrittenBlock> blocks;
  bool readBack = false;  // the device answered the read-back
  std::optional<TSettingsReport> device;

  // Something may have changed in the device.
  bool Partial() const;
};

struct TIdentificationReport {
  uint32_t hardwareCode = 0;
  bool verified = false;  // a Vela, and its software identity was shown
};

struct TOperationOutcome {
  TOperationKind kind = TOperationKind::ReadOnce;
  bool iec = false;  // carried out over IEC 60870-5-101
  TOutcomeEnd end = TOutcomeEnd::Failed;
  TOutcomeReason reason = TOutcomeReason::None;
  // One entry per request kind, in the order first sent.
  std::vector<TBlockResult> blocks;
  // What the device reported.
  std::array<TCellReport, kSlotCount> cells{};
  bool valuesShown = false;  // at least one cell holds a measured value
  std::string clockText;     // the device clock field; empty: not read
  bool clockConfirmed = false;
  std::optional<TSettingsReport> settings;
  std::optional<TIdentificationReport> identification;
  // Present when a settings or factory write ended before its last block.
  std::optional<TWriteReport> write;

  bool Succeeded() const { return end == TOutcomeEnd::Done; }
  // The result of a request kind, when it was sent.
  const TBlockResult* Block(uint8_t job) const;
};

// Short English names of an end and of a reason, for diagnostics.
const char* OutcomeEndName(TOutcomeEnd end);
const char* OutcomeReasonName(TOutcomeReason reason);
const char* WriteStateName(TWriteState state);

}  // namespace vela
