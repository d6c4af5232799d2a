#include <gtest/gtest.h>

#include "app/DeviceIdentification.h"
#include "app/Messages.h"
#include "tests/app/FormHarness.h"

namespace vela::test {
namespace {

struct IdentCase {
  const char* name;
  uint32_t hid, sid, serial;
  TIdentVerdict verdict;
  std::vector<std::string> lines;
};

const std::string kRejected1 =
    "Программа VelaLink предназначена только для работы с \"СИРТА Vela\".";
const std::string kRejected2 = "Проверьте правильность подключений.";

class IdentifyDeviceTest : public testing::TestWithParam<IdentCase> {};

TEST_P(IdentifyDeviceTest, VerdictAndLines) {
  const IdentCase& c = GetParam();
  const TIdentResult r = IdentifyDevice(c.hid, c.sid, c.serial);
  EXPECT_EQ(r.verdict, c.verdict);
  EXPECT_EQ(r.lines, c.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, IdentifyDeviceTest,
    testing::Values(
        IdentCase{"vela0", 0x41520100, 0, 5, TIdentVerdict::Supported, {}},
        IdentCase{"vela1", 0x41520101, 0, 5, TIdentVerdict::Supported, {}},
        IdentCase{"vela2",
                  0x41520102,
                  0,
                  42,
                  TIdentVerdict::NewerModification,
                  {"Прибор идентифицируется как \"СИРТА Vela\" (модификация №3), серийный номер "
                   "000042.",
                   "Данная версия VelaLink не поддерживает эту модификацию прибора.",
                   std::string("Обратитесь в ООО \"СИРТА\" за обновлённой версией ПО: ") +
                       kSupportPhone + ", " + kSupportWeb}},
        IdentCase{"kant255",
                  0x415202FF,
                  0,
                  7,
                  TIdentVerdict::Rejected,
                  {"Прибор идентифицируется как \"СИРТА КАНТ\" (модификация №256), серийный номер "
                   "000007.",
                   kRejected1, kRejected2}},
        IdentCase{"porta",
                  0x41520300,
                  0,
                  1234567,
                  TIdentVerdict::Rejected,
                  {"Прибор идентифицируется как \"СИРТА ПОРТА\" (модификация №1), серийный номер "
                   "1234567.",
                   kRejected1, kRejected2}},
        IdentCase{
            "foreign",
            0x00ab0100,
            0x0203cdef,
            42,
            TIdentVerdict::Rejected,
            {"Прибор не опознан HID=00AB0100, SID=0203CDEF, Serial= 42.", kRejected1, kRejected2}},
        IdentCase{
            "unknownKind",
            0x41520400,
            1,
            0,
            TIdentVerdict::Rejected,
            {"Прибор не опознан HID=41520400, SID=00000001, Serial= 0.", kRejected1, kRejected2}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(IdentificationFlowTest, NewerModificationStillReadsValues) {
  FormHarness h;
  h.MakeSupportedVela();
  h.input[771] = 0x0102;
  h.form().Button4.Click();
  h.AnswerAll();
  EXPECT_TRUE(h.LogHas("Данная версия VelaLink не поддерживает эту модификацию прибора."));
  EXPECT_TRUE(h.LogHas(msg::kReadDone));
}

TEST(IdentificationFlowTest, ReportShowsDeviceSoftware) {
  FormHarness h;
  h.MakeSupportedVela();
  h.input[775] = 0xFFFF;
  h.form().btnVerify.Click();
  h.AnswerAll();
  EXPECT_TRUE(h.LogHas("Номер версии: 2.3"));
  EXPECT_TRUE(h.LogHas("Цифровой идентификатор: 0x1977"));
  EXPECT_FALSE(h.LogHas(msg::kReadDone));
  EXPECT_FALSE(h.form().Engine().FBusy);
}

struct ProbeCase {
  const char* name;
  int timeoutMs;    // 0: the block's own
  int silentForMs;  // the clock advanced with no answer
  bool stillWaiting;
};

class IdentificationProbeTest : public testing::TestWithParam<ProbeCase> {};

// The probe sends the identification read alone and gives up at its own
// time-out; the next operation has the block's time-out again.
TEST_P(IdentificationProbeTest, WaitsItsOwnTimeOut) {
  const ProbeCase& c = GetParam();
  FormHarness h;
  h.MakeSupportedVela();
  ASSERT_TRUE(h.form().Engine().ProbeIdentification(c.timeoutMs));
  EXPECT_EQ(h.RequestCount(), 1);
  EXPECT_EQ(h.LastRequest().start, 768);
  h.loop().Advance(c.silentForMs);
  EXPECT_EQ(h.form().Engine().FBusy, c.stillWaiting);
  EXPECT_EQ(h.RequestCount(), 1);  // single-shot: never repeated
  EXPECT_EQ(h.form().Engine().FProbeTimeoutMs, c.stillWaiting ? c.timeoutMs : 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, IdentificationProbeTest,
                         testing::Values(ProbeCase{"ShortBefore", 90, 85, true},
                                         ProbeCase{"ShortAfter", 90, 95, false},
                                         ProbeCase{"BlocksOwnBefore", 0, 245, true},
                                         ProbeCase{"BlocksOwnAfter", 0, 255, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(IdentificationProbeTest, AnsweredProbeReadsTheBlockAndNothingElse) {
  FormHarness h;
  h.MakeSupportedVela();
  h.input[768] = 0;
  h.input[769] = 4711;
  ASSERT_TRUE(h.form().Engine().ProbeIdentification(90));
  h.AnswerAll();
  EXPECT_EQ(h.RequestCount(), 1);
  EXPECT_TRUE(h.form().Engine().FDevInfoRead);
  EXPECT_EQ(h.form().Engine().FDevInfo->GetSerial(), 4711u);
  EXPECT_FALSE(h.form().Engine().FBusy);
}

struct NextDeviceCase {
  const char* name;
  uint16_t identRegister, value;  // changed before the second read
  bool forgotten;
};

class NextDeviceTest : public testing::TestWithParam<NextDeviceCase> {};

// The identification block is read first: a device other than the one shown
// leaves nothing of the first on screen before anything of its own is shown.
TEST_P(NextDeviceTest, AnotherDeviceClearsWhatTheFirstLeftOnScreen) {
  FormHarness h;
  h.MakeSupportedVela();
  h.ReadSettings();
  h.form().Button4.Click();
  h.AnswerAll();
  ASSERT_EQ(h.form().GroupBox2.Caption(), "серийный номер 000123");
  ASSERT_FALSE(h.form().edTime.Text().empty());
  h.input[GetParam().identRegister] = GetParam().value;
  h.form().Button4.Click();
  h.Answer();  // the identification block only
  TForm1& f = h.form();
  bool anyCellShown = false;
  for (int slot = 0; slot < kSlotCount; ++slot)
    anyCellShown |= (*f.Engine().FCells)[slot].State() != cvsNone;
  EXPECT_EQ(anyCellShown, !GetParam().forgotten);
  EXPECT_EQ(f.edTime.Text().empty(), GetParam().forgotten);
  EXPECT_EQ(f.GroupBox2.Caption().empty(), GetParam().forgotten);
  EXPECT_EQ(f.cbSpeed.ItemIndex() == -1 && f.cbAddress.ItemIndex() == -1 &&
                f.cbProtocolType.ItemIndex() == -1 && !f.rb4w.Checked(),
            GetParam().forgotten);
  f.FormKeyPress(27);
}

INSTANTIATE_TEST_SUITE_P(Devices, NextDeviceTest,
                         testing::Values(NextDeviceCase{"sameVela", 775, 0x00AB, false},
                                         NextDeviceCase{"otherVela", 769, 124, true},
                                         NextDeviceCase{"foreign", 770, 0x00AB, true}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela::test
