// Read once in IEC 60870-5-101 mode against a device that behaves as field
// lines do: slow answers, restarts, other measured-value types, stray
// single characters. One row per case, on the virtual clock.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/IecWorkflows.h"
#include "app/Messages.h"
#include "iec101/IecMeasuredTypes.h"
#include "iec101/IecSettings.h"
#include "tests/app/FormHarness.h"
#include "tests/app/IecTestFrames.h"

namespace vela::test {
namespace {

using namespace iec;

// The device's answer after a pause on the virtual clock.
struct Reply {
  unsigned afterMs;
  Octets octets;
};

struct FieldCase {
  const char* name;
  uint32_t answerTimeMs;  // the connection dialog's answer time
  std::vector<Reply> replies;
  std::vector<int> functions;  // of the frames the program sent, in order
  std::string lastLog;
  int shown;                     // cells with a value at the end
  const char* logged = nullptr;  // a line the log also holds
};

// The values at addresses first..last in one ASDU of type, each coded as the
// type codes it.
Octets Typed(uint8_t type, uint32_t first = 1, uint32_t last = 28) {
  const TMeasuredFormat& format = *MeasuredFormat(type);
  TArkOutAsdu asdu(kStartLengths, type, 3, 1);
  asdu.SetObjectCount(last - first + 1);
  for (uint32_t address = first; address <= last; ++address) {
    asdu.AppendObjectAddress(address);
    asdu.AppendOctets(EncodeMeasuredElement(format, 0.5f, 0, TArkIecTypeTime()));
  }
  return asdu.AsOctets();
}

std::vector<Reply> ResetThen(const Octets& asdu) {
  return {{0, Fixed(fc::kLinkStatus)}, {0, Fixed(fc::kAck)}, {0, Data(asdu)}};
}

// A link reset then function 14 to the data request, times times over.
std::vector<Reply> Restarts(int times) {
  std::vector<Reply> replies;
  for (int i = 0; i < times; ++i) {
    for (uint8_t function : {fc::kLinkStatus, fc::kAck, fc::kServiceNotFunctioning}) {
      replies.push_back({0, Fixed(function)});
    }
  }
  return replies;
}

// The values 1..28 one object per ASDU, each cause cause.
std::vector<Reply> OneByOne(uint8_t cause) {
  std::vector<Reply> replies;
  for (const TValue& v : Values()) {
    replies.push_back({0, Data(Measured(asdu_type::kMeasuredFloat, cause, 1, {v}))});
  }
  return replies;
}

// A device that sends its values only when interrogated: an empty poll, the
// interrogation confirmed, then its confirmation, values and termination.
std::vector<Reply> Interrogated(const std::vector<TValue>& values) {
  return {{0, Fixed(fc::kLinkStatus)},
          {0, Fixed(fc::kAck)},
          {0, Fixed(fc::kNoData)},
          {0, Fixed(fc::kAck)},
          {0, Data(Interrogation(asdu_cause::kActivationConfirmation))},
          {0, Data(Measured(asdu_type::kMeasuredFloat, 20, 1, values))},
          {0, Data(Interrogation(10))}};
}

std::vector<Reply> Joined(std::vector<Reply> a, const std::vector<Reply>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

class IecFieldLine : public ::testing::TestWithParam<FieldCase> {};

TEST_P(IecFieldLine, ReadOnce) {
  const FieldCase& c = GetParam();
  FormHarness h;
  TForm1& f = h.form();
  ASSERT_TRUE(
      h.ChooseIec([&](TIecOptions& options) { options.connection.answerTimeMs = c.answerTimeMs; }));
  f.Button4.Click();
  for (const Reply& reply : c.replies) {
    h.loop().Advance(reply.afterMs);
    if (!reply.octets.empty()) h.ReplyIec(reply.octets);
  }
  h.loop().Advance(20000);  // whatever is left runs to its end
  std::vector<int> functions;
  for (const Octets& frame : h.line().Written()) {
    functions.push_back(static_cast<uint8_t>(frame[frame[0] == 0x10 ? 1 : 4]) & 0x0F);
  }
  EXPECT_EQ(functions, c.functions);
  ASSERT_FALSE(h.log().empty());
  EXPECT_EQ(h.log().back(), c.lastLog);
  int shown = 0;
  for (int slot = 0; slot < kSlotCount; ++slot)
    shown += f.Engine().Cells()[slot].State() == cvsValue;
  EXPECT_EQ(shown, c.shown);
  if (c.logged) {
    EXPECT_EQ(h.LogCount(c.logged), 1);
  }
  EXPECT_FALSE(f.Engine().FBusy);
}

const FieldCase kFieldCases[] = {
    {"AnswersAfter600msWithinASetAnswerTime",
     1000,
     {{600, Fixed(fc::kLinkStatus)},
      {600, Fixed(fc::kAck)},
      {600, Data(Measured(asdu_type::kMeasuredFloat, 2, 1, Values()))}},
     {9, 0, 11},
     msg::kReadDone,
     28},
    {"RestartAnsweringNotFunctioningIsReset",
     kDefaultAnswerTimeMs,
     {{0, Fixed(fc::kLinkStatus)},
      {0, Fixed(fc::kAck)},
      {0, Fixed(fc::kServiceNotFunctioning)},
      {0, Fixed(fc::kLinkStatus)},
      {0, Fixed(fc::kAck)},
      {0, Data(Measured(asdu_type::kMeasuredFloat, 2, 1, Values()))}},
     {9, 0, 11, 9, 0, 11},
     msg::kReadDone,
     28},
    {"LinkThatNeverWorksAfterResetsEndsTheRead",
     kDefaultAnswerTimeMs,
     Restarts(4),
     {9, 0, 11, 9, 0, 11, 9, 0, 11, 9, 0, 11},
     msg::kIecOperationFailed,
     0},
    {"NormalisedValues", kDefaultAnswerTimeMs, ResetThen(Typed(9)), {9, 0, 11}, msg::kReadDone, 28},
    {"ScaledValues", kDefaultAnswerTimeMs, ResetThen(Typed(11)), {9, 0, 11}, msg::kReadDone, 28},
    {"NormalisedWithoutQuality",
     kDefaultAnswerTimeMs,
     ResetThen(Typed(21)),
     {9, 0, 11},
     msg::kReadDone,
     28},
    {"FloatWithFullTimeTag",
     kDefaultAnswerTimeMs,
     {{0, Fixed(fc::kLinkStatus)},
      {0, Fixed(fc::kAck)},
      {0, Data(Typed(36, 1, 14))},
      {0, Data(Typed(36, 15, 28))}},
     {9, 0, 11, 11},
     msg::kReadDone,
     28},
    {"OtherCommonAddressIsNoReading",
     kDefaultAnswerTimeMs,
     {{0, Fixed(fc::kLinkStatus)},
      {0, Fixed(fc::kAck)},
      {0, Data(Measured(asdu_type::kMeasuredFloat, 2, 5, Values()))},
      {0, Fixed(fc::kNoData)},
      {0, Fixed(fc::kAck)},
      {0, Data(Interrogation(46 | 0x40))}},
     {9, 0, 11, 11, 3, 11},
     msg::kIecOperationFailed,
     0,
     "Прибор отвечает: неизвестный общий адрес ASDU 1"},
    {"ValuesOnlyOnInterrogation",
     kDefaultAnswerTimeMs,
     Interrogated(Values()),
     {9, 0, 11, 3, 11, 11, 11},
     msg::kReadDone,
     28},
    {"CellsThatDidNotComeAreNamed",
     kDefaultAnswerTimeMs,
     Interrogated(Values(1, 10)),
     {9, 0, 11, 3, 11, 11, 11},
     msg::kReadDone,
     10,
     "Не получены: Io, Ua, Ub, Uc, Uo, Pa, Pb, Pc, Qa, Qb, Qc, Sa, Sb, Sc, cosA, cosB, cosC, "
     "cos."},
    {"PartOfTheValuesOnlyEndsWhenTheyRepeat",
     kDefaultAnswerTimeMs,
     {{0, Fixed(fc::kLinkStatus)},
      {0, Fixed(fc::kAck)},
      {0, Data(Measured(asdu_type::kMeasuredFloat, 2, 1, Values(1, 10)))},
      {0, Data(Measured(asdu_type::kMeasuredFloat, 2, 1, Values(1, 10)))}},
     {9, 0, 11, 11},
     msg::kReadDone,
     10},
    {"OneObjectPerAsdu",
     kDefaultAnswerTimeMs,
     Joined({{0, Fixed(fc::kLinkStatus)}, {0, Fixed(fc::kAck)}}, OneByOne(2)),
     {9,  0,  11, 11, 11, 11, 11, 11, 11, 11, 11, 11, 11, 11, 11,
      11, 11, 11, 11, 11, 11, 11, 11, 11, 11, 11, 11, 11, 11, 11},
     msg::kReadDone,
     28},
};

INSTANTIATE_TEST_SUITE_P(Cases, IecFieldLine, ::testing::ValuesIn(kFieldCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela::test
