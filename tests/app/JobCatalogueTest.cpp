#include <gtest/gtest.h>

#include "app/Messages.h"
#include "iec101/IecDeviceOptions.h"
#include "tests/app/FormHarness.h"

namespace vela::test {
namespace {

// Runs the read-settings prefix, answering every request except those whose
// start address is in `refused`, which get the exception code.
void RunSettingsRead(FormHarness& h, std::initializer_list<uint16_t> refused, uint8_t code) {
  h.form().Button7.Click();
  for (int i = 0; i < 20 && h.form().Engine().FBusy; ++i) {
    const uint16_t start = h.LastRequest().start;
    if (std::find(refused.begin(), refused.end(), start) != refused.end()) {
      h.ReplyException(code);
      h.loop().Advance(510);
    } else {
      h.Answer();
    }
  }
}

TEST(JobCatalogueTest, OlderFirmwareWithoutLinkBlocks2To4) {
  FormHarness h;
  h.MakeSupportedVela();
  h.holding[20678] = 14;
  h.holding[20679] = 0;
  h.holding[20682] = 7;
  RunSettingsRead(h, {20678, 20679, 20682}, 2);
  const TIecDeviceOptions& o = h.form().IecDeviceOptions();
  EXPECT_EQ(o.AsduFormat, 13);
  EXPECT_TRUE(o.CyclicTransmission);
  EXPECT_EQ(o.CyclicInterval, 0);
  EXPECT_EQ(o.CommonAddress, 1);
  EXPECT_TRUE(h.LogHas(msg::kReadDone));
  EXPECT_TRUE(h.LogHas(msg::kLinkSettingsRead));
}

TEST(JobCatalogueTest, IdentificationRefusedHoldsBackOldFirmwareNote) {
  FormHarness h;
  h.MakeSupportedVela();
  RunSettingsRead(h, {768}, 2);
  EXPECT_EQ(h.LogCount("В приборе установлено устаревшее ПО."), 1);
  EXPECT_TRUE(h.LogHas(msg::kReadDone));
  // The note comes with the GetMainPrm completion, before the type line.
  const auto& log = h.log();
  const auto note = std::find(log.begin(), log.end(), "В приборе установлено устаревшее ПО.");
  const auto type = std::find(log.begin(), log.end(), msg::kNetworkTypeRead);
  EXPECT_LT(note, type);
}

// HandleException, row by row: (job's start address and function, exception
// code, expected log line or nullptr).
struct ExceptionRow {
  const char* name;
  int answersBefore;  // answers in a read-once before the job is current
  uint8_t code;
  const char* line;
};

class ReadOnceExceptionTest : public testing::TestWithParam<ExceptionRow> {};

TEST_P(ReadOnceExceptionTest, LogsPerJob) {
  const ExceptionRow& row = GetParam();
  FormHarness h;
  h.MakeSupportedVela();
  h.form().Button4.Click();
  for (int i = 0; i < row.answersBefore; ++i) h.Answer();
  h.ReplyException(row.code);
  if (row.line) {
    EXPECT_TRUE(h.LogHas(row.line)) << row.name;
  }
  EXPECT_EQ(h.trace().back().rfind("Exc: MODBUS", 0) == 0 ||
                h.trace()[h.trace().size() - 2].rfind("Exc: MODBUS", 0) == 0,
            true)
      << row.name;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ReadOnceExceptionTest,
    testing::Values(
        ExceptionRow{"GetMainPrm", 1, 2, "Чтение параметров: MODBUS: Некорректный адрес данных"},
        ExceptionRow{"GetLinkPrm", 2, 3, "Чтение параметров: MODBUS: Данные не корректны"},
        ExceptionRow{"GetValues", 6, 2, nullptr}, ExceptionRow{"DevInfo", 0, 1, nullptr}),
    [](const auto& info) { return std::string(info.param.name); });

// An exception is no quality mark: the refused block's cells are empty.
TEST(JobCatalogueTest, RefusedValueReadsLeaveTheCellsEmpty) {
  FormHarness h;
  h.MakeSupportedVela();
  h.form().Button4.Click();
  for (int i = 0; i < 6; ++i) h.Answer();
  h.ReplyException(4);  // GetValues4
  EXPECT_EQ((*h.form().Engine().FCells)[slotUa].Missing(), TMissingReason::DeviceException);
  h.loop().Advance(310);
  h.ReplyException(4);  // GetF
  EXPECT_EQ((*h.form().Engine().FCells)[slotF].Missing(), TMissingReason::DeviceException);
  h.loop().Advance(260);
  h.ReplyException(2);  // GetCos3, code 2: no power-factor registers
  EXPECT_EQ(h.form().Engine().FCosSupport, 1);
  EXPECT_EQ((*h.form().Engine().FCells)[slotCos].State(), cvsNone);
  h.loop().Advance(260);
  h.ReplyException(4);  // GetTime (GetCos4 skipped)
  EXPECT_EQ(h.form().edTime.Text(), "нет");
  h.loop().Advance(360);
  EXPECT_TRUE(h.LogHas(msg::kReadDone));
  EXPECT_EQ(h.form().edTime.Text(), "нет");  // the time-out after the refusal keeps it
}

TEST(JobCatalogueTest, GetCos3OtherCodeKeepsSupportAndLeavesTheCellEmpty) {
  FormHarness h;
  h.MakeSupportedVela();
  h.form().Button4.Click();
  for (int i = 0; i < 8; ++i) h.Answer();
  ASSERT_EQ(h.LastRequest().start, 29);
  h.ReplyException(1);
  EXPECT_EQ(h.form().Engine().FCosSupport, 2);
  EXPECT_EQ((*h.form().Engine().FCells)[slotCos].State(), cvsNone);
  EXPECT_EQ((*h.form().Engine().FCells)[slotCos].Missing(), TMissingReason::DeviceException);
}

TEST(JobCatalogueTest, BusyWriteIsReportedAndRepeated) {
  FormHarness h;
  h.MakeSupportedVela();
  h.ReadSettings();
  h.form().Button3.Click();
  for (int i = 0; i < 4; ++i) h.Answer();   // the link block read ahead, link blocks 2 to 4
  ASSERT_EQ(h.LastRequest().start, 20666);  // SetMainPrm
  h.ReplyException(6);
  EXPECT_TRUE(h.LogHas(msg::kDeviceBusy));
  h.loop().Advance(510);
  EXPECT_TRUE(h.LogHas(msg::kRepeatRequest));
  EXPECT_EQ(h.LastRequest().start, 20666);
  h.ReplyException(3);
  EXPECT_TRUE(h.LogHas("Запись установок: MODBUS: Данные не корректны"));
}

TEST(JobCatalogueTest, OldDeviceWriteCorrectsAsduAndHoldsBackSpeedNote) {
  FormHarness h;
  h.MakeSupportedVela();
  h.ReadSettings();
  h.form().cbProtocolType.Choose(2);
  h.form().IecDeviceOptions().AsduFormat = 14;
  h.form().cbSpeed.ChooseText("115200");
  h.form().Button3.Click();
  h.Answer();  // the link block, read ahead of the write, keeps the boxes
  EXPECT_EQ(h.form().cbSpeed.Text(), "115200");
  h.ReplyException(2);  // SetLinkPrm2
  EXPECT_TRUE(h.LogHas(msg::kOnlyAsdu13));
  EXPECT_EQ(h.form().cbSpeed.Text(), "38400");
  EXPECT_FALSE(h.LogHas(msg::kSpeedNote));
  h.loop().Advance(510);
  for (int i = 0; i < 2; ++i) {  // SetLinkPrm3, SetLinkPrm4 also missing
    h.ReplyException(2);
    h.loop().Advance(510);
  }
  h.AnswerAll();
  const auto& log = h.log();
  ASSERT_GE(log.size(), 3u);
  EXPECT_EQ(log[log.size() - 3], msg::kSpeedNote);
  EXPECT_EQ(log[log.size() - 2], msg::kOperationEnded);
  EXPECT_EQ(log.back(), msg::kReadDone);
  EXPECT_FALSE(h.LogHas(msg::kOperationDone));
  EXPECT_EQ(h.holding[20664], 2);  // the corrected speed is also what was written
}

TEST(JobCatalogueTest, BadChecksumToGetLinkPrm) {
  FormHarness h;
  h.MakeSupportedVela();
  h.form().Button7.Click();
  h.Answer();
  h.Answer();
  ASSERT_EQ(h.LastRequest().start, 20662);
  h.Reply(FormHarness::Rtu(std::string("\x01\x03\x02\x00\x00", 5)).substr(0, 6) + "\x00");
  EXPECT_EQ(h.log().back().rfind("Чтение параметров: ", 0), 0u);
  h.loop().Advance(510);
  EXPECT_TRUE(h.LogHas(msg::kParamsNoAnswerEsc));
  EXPECT_EQ(h.LastRequest().start, 20662);
  h.form().FormKeyPress(27);
}

TEST(JobCatalogueTest, UnknownNormalisationStillSetsRadioButtons) {
  FormHarness h;
  h.MakeSupportedVela();
  h.holding[20666] = 5;
  h.holding[20667] = 1;
  h.form().Button4.Click();
  h.AnswerAll();
  EXPECT_GE(h.LogCount("Неизвестный тип нормализации."), 1);
  EXPECT_TRUE(h.form().rb3w.Checked());
}

TEST(JobCatalogueTest, RefusedPhasePowerFactorsLeaveTheirCellsEmpty) {
  FormHarness h;
  h.MakeSupportedVela();
  h.form().Button4.Click();
  for (int i = 0; i < 9; ++i) h.Answer();
  ASSERT_EQ(h.LastRequest().start, 24);  // GetCos4
  h.ReplyException(4);
  for (TSlot slot : {slotCosA, slotCosB, slotCosC}) {
    EXPECT_EQ((*h.form().Engine().FCells)[slot].State(), cvsNone);
    EXPECT_EQ((*h.form().Engine().FCells)[slot].Missing(), TMissingReason::DeviceException);
  }
  EXPECT_EQ((*h.form().Engine().FCells)[slotCos].State(), cvsValue);
}

TEST(JobCatalogueTest, RefusedClockWriteIsLoggedThenTheClockRuleStops) {
  FormHarness h;
  h.form().Button1.Click();
  h.loop().Advance(1500);
  ASSERT_EQ(h.LastRequest().start, 27);
  h.ReplyException(3);
  EXPECT_TRUE(h.LogHas("Запись времени: MODBUS: Данные не корректны"));
  EXPECT_TRUE(h.form().Engine().FBusy);
  h.loop().Advance(360);
  EXPECT_TRUE(h.LogHas(msg::kClockNoAnswer));
  EXPECT_FALSE(h.form().Engine().FBusy);
}

TEST(JobCatalogueTest, RepeatRuleDoesNotAnnounceTheLinkAgain) {
  FormHarness h;
  h.MakeSupportedVela();
  h.ReadSettings();
  h.form().Button3.Click();
  h.Answer();  // the link block, read ahead of the write
  h.loop().Advance(510);
  ASSERT_TRUE(h.LogHas(msg::kRepeatRequest));
  h.Answer();
  EXPECT_FALSE(h.LogHas(msg::kLinkRestored));
  h.form().FormKeyPress(27);
}

TEST(JobCatalogueTest, UnrequestedDataIsReported) {
  FormHarness h;
  h.form().Button5.Click();
  h.form().Engine().FJobIndex = 40;  // outside the list: no job
  h.Reply("\x01\x02");
  EXPECT_TRUE(h.LogHas("Технология \"запрос-ответ\" не может быть выдержана."));
  h.form().FormKeyPress(27);
}

}  // namespace
}  // namespace vela::test
