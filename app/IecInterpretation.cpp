#include "app/IecInterpretation.h"

#include <cstdio>
#include <optional>
#include <vector>

#include "app/Messages.h"
#include "display/IecReading.h"
#include "iec101/IecMeasuredTypes.h"

namespace vela {
namespace {

constexpr uint8_t kEndOfInitialisation = 70;  // M_EI_NA_1

bool IsMeasuredType(uint8_t type) {
  return MeasuredFormat(type) != nullptr;
}

// Periodic, background scan, spontaneous, requested, station and group
// interrogation.
bool IsValueCause(uint8_t cause) {
  return cause == 1 || cause == 2 || cause == 3 || cause == 5 || (cause >= 20 && cause <= 36);
}

std::string Format(const char* pattern, int a, int b = 0, int c = 0) {
  char text[160];
  std::snprintf(text, sizeof text, pattern, a, b, c);
  return text;
}

}  // namespace

TIecInterpreter::TIecInterpreter(TMeasurementPresenter& presenter,
                                 std::function<void(const std::string&)> log,
                                 std::function<void()> redraw, uint32_t expectedCommonAddress,
                                 const Clock& clock, int64_t staleAfterMs)
    : FPresenter(presenter),
      FLog(std::move(log)),
      FRedraw(std::move(redraw)),
      FExpectedCommonAddress(expectedCommonAddress),
      FClock(clock),
      FStaleAfterMs(staleAfterMs) {}

bool TIecInterpreter::HideStale() {
  const int64_t now = FClock.MonotonicMs();
  TReading stale;
  for (int address = 1; address <= kAddressCount; ++address) {
    std::optional<int64_t>& refreshed = FRefreshedMs[static_cast<size_t>(address)];
    if (!refreshed || now - *refreshed <= FStaleAfterMs) continue;
    refreshed.reset();
    FTags[static_cast<size_t>(address - 1)] = {};
    stale.push_back({static_cast<TSlot>(address - 1), 0.0, rqAbsent});
  }
  FPresenter.ShowReading(stale);
  return !stale.empty();
}

TIecAsduOutcome TIecInterpreter::Dispatch(const TArkInAsdu& asdu, bool serviceView) {
  TIecAsduOutcome outcome;
  try {
    const uint8_t type = asdu.TypeId();
    outcome.refused = asdu.IsNegative() || (asdu.Cause() >= 44 && asdu.Cause() <= 47);
    SayRefusal(asdu);
    if (IsMeasuredType(type)) {
      DispatchValues(asdu, serviceView, outcome);
    } else if (type == asdu_type::kClockSync) {
      DispatchClock(asdu, serviceView, outcome);
    } else if (type == asdu_type::kInterrogation) {
      outcome.kind = TIecAsduKind::Interrogation;
      outcome.cause = asdu.Cause();
    } else if (type == kEndOfInitialisation) {
      outcome.kind = TIecAsduKind::Initialised;
      outcome.cause = asdu.Cause();
    }
  } catch (const TArkException& e) {
    FLog(msg::kIecFormatErrors);
    FLog(e.what());
  }
  return outcome;
}

bool TIecInterpreter::CauseAccepted(const TArkInAsdu& asdu, bool clock) const {
  if (asdu.IsNegative()) return false;
  if (clock) return asdu.Cause() == 3 || asdu.Cause() == asdu_cause::kActivationConfirmation;
  return IsValueCause(asdu.Cause()) && !asdu.IsTest();
}

void TIecInterpreter::LogCause(const TArkInAsdu& asdu, bool serviceView) {
  if (!serviceView) return;
  FLog(msg::kIecUnknownCause);
  FLog(
      Format(msg::kIecCauseFields, asdu.Cause(), asdu.IsNegative() ? 1 : 0, asdu.IsTest() ? 1 : 0));
}

bool TIecInterpreter::CommonAddressAccepted(const TArkInAsdu& asdu, bool serviceView) {
  if (asdu.CommonAddress() == FExpectedCommonAddress) return true;
  if (serviceView) {
    FLog(Format(msg::kIecUnknownCommonAddress, static_cast<int>(asdu.CommonAddress())));
  } else {
    SayOnce(Format(msg::kIecOtherCommonAddress, static_cast<int>(asdu.CommonAddress()),
                   static_cast<int>(FExpectedCommonAddress)));
  }
  return false;
}

void TIecInterpreter::SayRefusal(const TArkInAsdu& asdu) {
  switch (asdu.Cause()) {
    case 44:
      SayOnce(Format(msg::kIecRefusedType, asdu.TypeId()));
      return;
    case 45:
      SayOnce(msg::kIecRefusedCause);
      return;
    case 46:
      SayOnce(Format(msg::kIecRefusedCommonAddress, static_cast<int>(asdu.CommonAddress())));
      return;
    case 47:
      SayOnce(msg::kIecRefusedObjectAddress);
      return;
    default:
      if (asdu.IsNegative())
        SayOnce(Format(msg::kIecNegativeConfirmation, asdu.TypeId(), asdu.Cause()));
      return;
  }
}

void TIecInterpreter::SayOnce(const std::string& line) {
  if (FSaid.insert(line).second) FLog(line);
}

void TIecInterpreter::DispatchValues(const TArkInAsdu& asdu, bool serviceView,
                                     TIecAsduOutcome& outcome) {
  outcome.kind = TIecAsduKind::Values;
  outcome.cause = asdu.Cause();
  if (!FReading) BeginReading();
  if (!CauseAccepted(asdu, false)) {
    LogCause(asdu, serviceView);
  } else if (CommonAddressAccepted(asdu, serviceView)) {
    // Every element first: an ASDU whose octets do not match its objects
    // shows nothing.
    std::vector<TArkMeasuredValue> values;
    for (uint32_t i = 0;; ++i) {
      std::optional<TArkMeasuredValue> value = asdu.GetMeasuredValue(i);
      if (!value) break;
      values.push_back(*value);
    }
    for (const TArkMeasuredValue& v : values) {
      if (v.address >= 1 && v.address <= kAddressCount && FSeen[v.address]) {
        // An address repeats: the values before it were one whole reading.
        CompleteReading();
        BeginReading();
        break;
      }
    }
    const int64_t now = FClock.MonotonicMs();
    for (const TArkMeasuredValue& v : values) {
      if (v.address < 1 || v.address > kAddressCount) {
        if (serviceView) FLog(Format(msg::kIecUnknownObjectAddress, static_cast<int>(v.address)));
        continue;
      }
      FSeen[v.address] = true;
      FTags[v.address - 1] = {v.time, v.element.Invalid()};
      FReceived[v.address] = true;
      FRefreshedMs[v.address] = now;
      FReadingShowsValues = true;
      outcome.valuesShown = true;
      if (!v.time.empty() && OnTrace) {
        OnTrace("iTime: " + std::to_string(v.address) + " " + v.time);
      }
    }
    FPresenter.ShowReading(IecReading(values));
    FRedraw();
    if (FSeen.count() == kAddressCount) CompleteReading();
    return;
  }
  // Refused as a whole: the reading ends with what it has.
  FRedraw();
  CompleteReading();
}

void TIecInterpreter::DispatchClock(const TArkInAsdu& asdu, bool serviceView,
                                    TIecAsduOutcome& outcome) {
  outcome.kind = TIecAsduKind::ClockAnswer;
  outcome.cause = asdu.Cause();
  const bool confirmation = asdu.Cause() == asdu_cause::kActivationConfirmation;
  if (!CauseAccepted(asdu, true)) {
    outcome.clockRefused = confirmation && asdu.IsNegative();
    LogCause(asdu, serviceView);
    return;
  }
  if (!CommonAddressAccepted(asdu, serviceView)) return;
  if (asdu.ObjectCount() != 1 || asdu.IsSequence()) {
    if (serviceView) FLog(msg::kIecBadClockFormat);
    return;
  }
  FPresenter.ShowIecClockText(asdu.GetClockTime().ClockText());
  outcome.clockConfirmed = confirmation;
}

void TIecInterpreter::BeginReading() {
  FPresenter.ClearDeviceClock();
  FSeen.reset();
  FReading = true;
  FReadingShowsValues = false;
}

void TIecInterpreter::CompleteReading() {
  FReading = false;
  if (!FReadingShowsValues) return;  // refused or empty: no reading, no record
  ++FCompleteReadings;
  FReadingShowsValues = false;
  if (OnReadingComplete) OnReadingComplete();
}

void TIecInterpreter::EndReading() {
  if (FReading) CompleteReading();
}

}  // namespace vela
