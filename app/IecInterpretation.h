#pragma once
// What the main window makes of one received IEC 60870-5-101 ASDU: measured
// values go to the value cells by information object address (address 1 is
// slot 0), the clock synchronisation answer goes to the clock field, and what
// does not fit is dropped; the reason is logged only in the service view.
//
// The cells are an image of the device's values: every accepted value, by
// whatever cause it came (periodic, spontaneous, background, interrogated,
// requested), updates its own cell and leaves the others as they are. A cell
// not refreshed within the staleness limit is hidden, so that an old value
// is never read as a current one.
//
// One reading is the series of measured-value ASDUs that arrives until every
// address has been seen once, or an address repeats (the next reading
// begins), or the device has no more data (EndReading); a reading that
// brought no value is none.

#include <array>
#include <bitset>
#include <functional>
#include <optional>
#include <set>
#include <string>

#include "common/Clock.h"
#include "display/MeasurementPresenter.h"
#include "display/ValueTags.h"
#include "iec101/IecAsdu.h"

namespace vela {

enum class TIecAsduKind : uint8_t {
  Ignored,        // no ASDU, or a type the program does not use
  Values,         // measured values (accepted or not)
  ClockAnswer,    // C_CS_NA_1 (accepted or not)
  Interrogation,  // C_IC_NA_1 confirmation or termination
  Initialised,    // M_EI_NA_1: the device (re)started
};

struct TIecAsduOutcome {
  TIecAsduKind kind = TIecAsduKind::Ignored;
  bool clockConfirmed = false;  // positive activation confirmation, shown in the clock field
  bool clockRefused = false;    // negative activation confirmation
  bool valuesShown = false;     // measured values went to the cells
  bool refused = false;         // P/N = 1, or causes 44..47
  uint8_t cause = 0;
};

class TIecInterpreter {
 public:
  static constexpr int kAddressCount = kSlotCount;

  // log writes one line to the activity log; redraw repaints the panel;
  // ASDUs of another common address than expectedCommonAddress are dropped;
  // a value older than staleAfterMs on clock is hidden.
  TIecInterpreter(TMeasurementPresenter& presenter, std::function<void(const std::string&)> log,
                  std::function<void()> redraw, uint32_t expectedCommonAddress, const Clock& clock,
                  int64_t staleAfterMs);

  TIecAsduOutcome Dispatch(const TArkInAsdu& asdu, bool serviceView);

  // The device has no more data: a reading that showed values is complete.
  void EndReading();
  // A failure: the reading is dropped without being complete.
  void DropReading() { FReading = false; }
  bool ReadingActive() const { return FReading; }
  // Values of complete readings since the last ClearReadings.
  int CompleteReadings() const { return FCompleteReadings; }
  // Also forgets which refusals were said (each is said once per operation)
  // and which addresses brought a value.
  void ClearReadings() {
    FCompleteReadings = 0;
    FSaid.clear();
    FReceived.reset();
  }
  // Address 1..28 brought a value since ClearReadings.
  bool Received(int address) const { return FReceived[static_cast<size_t>(address)]; }
  // Hides the cells whose value is older than the staleness limit; true when
  // any was hidden.
  bool HideStale();
  // The time tag and invalid mark of each cell's last value; a cell hidden
  // as stale, or with all cells, has neither.
  const TValueTags& Tags() const { return FTags; }
  // Every cell was hidden: no tag stands any more.
  void ForgetTags() { FTags = {}; }

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
  const Clock& FClock;
  const int64_t FStaleAfterMs;
  // Monotonic milliseconds of each address's last value; empty: none shown.
  std::array<std::optional<int64_t>, kAddressCount + 1> FRefreshedMs;
  std::bitset<kAddressCount + 1> FReceived;
  bool FReading = false;
  bool FReadingShowsValues = false;
  std::bitset<kAddressCount + 1> FSeen;  // addresses 1..28 of the reading
  int FCompleteReadings = 0;
  std::set<std::string> FSaid;  // refusal lines of this operation
  TValueTags FTags;
};

}  // namespace vela
