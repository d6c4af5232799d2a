#pragma once
// What the main window makes of one received IEC 60870-5-101 ASDU: measured
// values go to the value cells by information object address (address 1 is
// slot 0), the clock synchronisation answer goes to the clock field, and what
// does not fit is dropped; the reason is logged only in the service view.
//
// One reading is the series of measured-value ASDUs that arrives until every
// address has been seen once, or an address repeats (the next reading
// begins), or the device has no more data (EndReading). The cells are hidden
// when a reading begins, not at every ASDU, so that a format that needs more
// than one ASDU for the 28 values still shows them all together.

#include <bitset>
#include <functional>
#include <set>
#include <string>

#include "display/MeasurementPresenter.h"
#include "iec101/IecAsdu.h"

namespace vela {

enum class TIecAsduKind : uint8_t {
  Ignored,        // no ASDU, or a type the program does not use
  Values,         // measured values (accepted or not)
  ClockAnswer,    // C_CS_NA_1 (accepted or not)
  Interrogation,  // C_IC_NA_1 confirmation or termination
};

struct TIecAsduOutcome {
  TIecAsduKind kind = TIecAsduKind::Ignored;
  bool clockConfirmed = false;  // positive activation confirmation, shown in the clock field
  bool clockRefused = false;    // negative activation confirmation
  bool valuesShown = false;     // measured values went to the cells
  uint8_t cause = 0;
};

class TIecInterpreter {
 public:
  static constexpr int kAddressCount = kSlotCount;

  // log writes one line to the activity log; redraw repaints the panel;
  // ASDUs of another common address than expectedCommonAddress are dropped.
  TIecInterpreter(TMeasurementPresenter& presenter, std::function<void(const std::string&)> log,
                  std::function<void()> redraw, uint32_t expectedCommonAddress);

  TIecAsduOutcome Dispatch(const TArkInAsdu& asdu, bool serviceView);

  // The device has no more data: a reading that showed values is complete.
  void EndReading();
  // A failure: the reading is dropped without being complete.
  void DropReading() { FReading = false; }
  bool ReadingActive() const { return FReading; }
  // Values of complete readings since the last ClearReadings.
  int CompleteReadings() const { return FCompleteReadings; }
  // Also forgets which refusals were said: each is said once per operation.
  void ClearReadings() {
    FCompleteReadings = 0;
    FSaid.clear();
  }

  // A reading is complete: its cells hold every value it brought (the CSV
  // record is written here).
  std::function<void()> OnReadingComplete;
  // The time tag of each time-tagged value, as an "iTime: " line of the
  // exchange trace.
  std::function<void(const std::string&)> OnTrace;

 private:
  void DispatchValues(const TArkInAsdu& asdu, bool serviceView, TIecAsduOutcome& outcome);
  void DispatchClock(const TArkInAsdu& asdu, bool serviceView, TIecAsduOutcome& outcome);
  bool CauseAccepted(const TArkInAsdu& asdu, bool clock) const;
  void LogCause(const TArkInAsdu& asdu, bool serviceView);
  bool CommonAddressAccepted(const TArkInAsdu& asdu, bool serviceView);
  // A negative confirmation or causes 44..47: one log line per reason.
  void SayRefusal(const TArkInAsdu& asdu);
  void SayOnce(const std::string& line);
  void BeginReading();
  void CompleteReading();

  TMeasurementPresenter& FPresenter;
  std::function<void(const std::string&)> FLog;
  std::function<void()> FRedraw;
  const uint32_t FExpectedCommonAddress;
  bool FReading = false;
  bool FReadingShowsValues = false;
  std::bitset<kAddressCount + 1> FSeen;  // addresses 1..28 of the reading
  int FCompleteReadings = 0;
  std::set<std::string> FSaid;  // refusal lines of this operation
};

}  // namespace vela
