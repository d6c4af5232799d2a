// What one received ASDU does to the cells, the clock field and the log, with
// and without the service view; and how ASDUs make up one reading.

#include <gtest/gtest.h>

#include <algorithm>

#include "app/IecInterpretation.h"
#include "app/Messages.h"
#include "common/Clock.h"
#include "iec101/IecSettings.h"
#include "tests/app/IecTestFrames.h"

namespace vela::test {
namespace {

using namespace iec;
constexpr uint8_t kNc = asdu_type::kMeasuredFloat;
constexpr uint8_t kPn = 0x40, kT = 0x80;
constexpr uint8_t kOv = 0x01, kBl = 0x10, kSb = 0x20, kNt = 0x40, kIv = 0x80;

struct InterpretationCase {
  const char* name;
  Octets asdu;
  // Cell states by slot (others hidden), the clock field, the log lines in
  // the service view (outside it only the format-error lines remain).
  std::vector<std::pair<int, TClrValueState>> shown;
  std::string clock;
  std::vector<std::string> serviceLog = {};
  bool formatError = false;
  // The log lines outside the service view: the device's refusals.
  std::vector<std::string> plainLog = {};
  // Slots whose value the device marked invalid (the outputs say so).
  std::vector<int> invalid = {};
};

class IecInterpretationTest : public ::testing::TestWithParam<InterpretationCase> {
 protected:
  VirtualClock clock_;
  TMeasurementCells cells_;
  TMeasurementPresenter presenter_{cells_, clock_};
  std::vector<std::string> log_;
  TIecInterpreter interpreter_{
      presenter_, [this](const std::string& line) { log_.push_back(line); }, [] {}, 1, clock_,
      10000};
};

TEST_P(IecInterpretationTest, CellsClockAndLog) {
  const InterpretationCase& c = GetParam();
  for (const bool serviceView : {false, true}) {
    log_.clear();
    interpreter_.ClearReadings();  // each view is an operation of its own
    presenter_.ShowIecClockText("старое");
    cells_.SetAllNone();
    interpreter_.Dispatch(TArkInAsdu(kStartLengths, c.asdu), serviceView);
    for (int slot = 0; slot < kSlotCount; ++slot) {
      TClrValueState expected = cvsNone;
      for (const auto& [s, state] : c.shown) {
        if (s == slot) expected = state;
      }
      EXPECT_EQ(cells_[slot].State(), expected) << "slot " << slot;
      EXPECT_EQ(interpreter_.Tags()[slot].invalid,
                std::find(c.invalid.begin(), c.invalid.end(), slot) != c.invalid.end())
          << "slot " << slot;
    }
    EXPECT_EQ(presenter_.DeviceClockText(), c.clock);
    if (c.formatError) {
      ASSERT_EQ(log_.size(), 2u);
      EXPECT_EQ(log_[0], msg::kIecFormatErrors);
    } else {
      EXPECT_EQ(log_, serviceView ? c.serviceLog : c.plainLog);
    }
    interpreter_.DropReading();
  }
}

Octets CountMismatch() {
  Octets asdu = Measured(kNc, 20, 1, {{12, 1}});
  asdu.pop_back();
  return asdu;
}

const InterpretationCase kCases[] = {
    {"InterrogatedPhaseVoltages",
     Measured(kNc, 20, 1, {{12, 220}, {13, 221}, {14, 222}}),
     {{11, cvsValue}, {12, cvsValue}, {13, cvsValue}},
     ""},
    {"TestBitHidesAll",
     Measured(kNc, 20, 1, {{12, 220}}, kT),
     {},
     "",
     {msg::kIecUnknownCause, "Причина передачи= 20, P/N= 0, T= 1"}},
    {"NegativeValues",
     Measured(kNc, 3, 1, {{1, 50}}, kPn),
     {},
     "",
     {"Прибор отвечает отрицательным подтверждением (тип ASDU 13, причина 3)",
      msg::kIecUnknownCause, "Причина передачи= 3, P/N= 1, T= 0"},
     false,
     {"Прибор отвечает отрицательным подтверждением (тип ASDU 13, причина 3)"}},
    {"ActivationCauseRefused",
     Measured(kNc, 6, 1, {{1, 50}}),
     {},
     "",
     {msg::kIecUnknownCause, "Причина передачи= 6, P/N= 0, T= 0"}},
    {"OtherCommonAddress",
     Measured(kNc, 2, 7, {{1, 50}}),
     {},
     "",
     {"Неизвестный ОБЩИЙ АДРЕС ASDU: 7"},
     false,
     {"Получены ASDU с общим адресом 7, ожидается 1: они не показываются"}},
    {"AddressOutsideTheCells",
     Measured(kNc, 1, 1, {{29, 1}, {0, 1}, {28, 1}}),
     {{27, cvsValue}},
     "",
     {"Объект информации с неизвестным адресом: 29", "Объект информации с неизвестным адресом: 0"}},
    {"QualityOrder",
     Measured(kNc, 5, 1,
              {{1, 1, kIv | kOv},
               {2, 1, kIv},
               {3, 1, kSb | kBl},
               {4, 1, kBl | kNt},
               {5, 1, kNt | kIv},
               {6, 1, 0}}),
     {{0, cvsOverflow}, {2, cvsSubstituted}, {3, cvsBlocked}, {4, cvsNotTopical}, {5, cvsValue}},
     "",
     {},
     false,
     {},
     {0, 1, 4}},
    {"TimeTaggedLikeUntagged",
     Measured(asdu_type::kMeasuredFloatTime, 3, 1, {{7, 5}}),
     {{6, cvsValue}},
     ""},
    {"ObjectsDoNotMatchTheOctets", CountMismatch(), {}, "", {}, true},
    {"ClockConfirmation", ClockAnswer(7, 1), {}, kClockAnswerText},
    {"ClockSpontaneous", ClockAnswer(3, 1), {}, kClockAnswerText},
    {"ClockNegativeConfirmation",
     ClockAnswer(7, 1, kPn),
     {},
     "старое",
     {"Прибор отвечает отрицательным подтверждением (тип ASDU 103, причина 7)",
      msg::kIecUnknownCause, "Причина передачи= 7, P/N= 1, T= 0"},
     false,
     {"Прибор отвечает отрицательным подтверждением (тип ASDU 103, причина 7)"}},
    {"ClockOtherCommonAddress",
     ClockAnswer(7, 9),
     {},
     "старое",
     {"Неизвестный ОБЩИЙ АДРЕС ASDU: 9"},
     false,
     {"Получены ASDU с общим адресом 9, ожидается 1: они не показываются"}},
    {"UnknownCommonAddressRefused",
     Interrogation(46),
     {},
     "старое",
     {"Прибор отвечает: неизвестный общий адрес ASDU 1"},
     false,
     {"Прибор отвечает: неизвестный общий адрес ASDU 1"}},
    {"InterrogationIgnored", Interrogation(7), {}, "старое"},
};

INSTANTIATE_TEST_SUITE_P(Cases, IecInterpretationTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

struct ReadingCase {
  const char* name;
  uint8_t type;
  std::vector<std::vector<TValue>> asdus;
  bool endWithNoData;
  int readings;        // complete readings
  int shownAtEnd;      // cells showing a value after the last ASDU
  int recordedValues;  // cells showing a value when the first reading completed
};

TEST(IecReadingTest, ReadingsAreMadeOfSeveralAsdus) {
  const ReadingCase cases[] = {
      {"OneWholeAsdu", kNc, {Values()}, false, 1, 28, 28},
      {"TimeTaggedInTwoParts",
       asdu_type::kMeasuredFloatTime,
       {Values(1, 24), Values(25, 28)},
       false,
       1,
       28,
       28},
      {"PartThenNoMoreData", kNc, {Values(1, 10)}, true, 1, 10, 10},
      // The cells are an image: the second reading leaves 6..10 as they were.
      {"AddressRepeatsStartsTheNext", kNc, {Values(1, 10), Values(1, 5)}, false, 1, 10, 10},
  };
  for (const ReadingCase& c : cases) {
    VirtualClock clock;
    TMeasurementCells cells;
    TMeasurementPresenter presenter(cells, clock);
    int recorded = 0;
    std::vector<int> shownAtRecord;
    TIecInterpreter interpreter(
        presenter, [](const std::string&) {}, [] {}, 1, clock, 10000);
    auto shown = [&] {
      int n = 0;
      for (int slot = 0; slot < kSlotCount; ++slot) n += cells[slot].State() == cvsValue;
      return n;
    };
    interpreter.OnReadingComplete = [&] {
      ++recorded;
      shownAtRecord.push_back(shown());
    };
    for (const auto& values : c.asdus) {
      interpreter.Dispatch(TArkInAsdu(kStartLengths, Measured(c.type, 3, 1, values)), false);
    }
    if (c.endWithNoData) interpreter.EndReading();
    EXPECT_EQ(interpreter.CompleteReadings(), c.readings) << c.name;
    EXPECT_EQ(recorded, c.readings) << c.name;
    EXPECT_EQ(shown(), c.shownAtEnd) << c.name;
    // The record holds every value of its reading.
    ASSERT_FALSE(shownAtRecord.empty()) << c.name;
    EXPECT_EQ(shownAtRecord.front(), c.recordedValues) << c.name;
  }
}

}  // namespace
}  // namespace vela::test
