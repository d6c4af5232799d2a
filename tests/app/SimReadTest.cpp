// TForm1 with its real serial port against the simulator over a
// pseudo-terminal, in real time.

#include <gtest/gtest.h>

#include <algorithm>

#include "app/MainForm.h"
#include "app/Messages.h"
#include "common/HeadlessEventLoop.h"
#include "serial/PortNames.h"
#include "tests/support/VelaSimProcess.h"

namespace vela::test {
namespace {

// The form on the simulator's service port, with the trace kept in trace_.
class SimFormTest {
 protected:
  explicit SimFormTest(const std::vector<std::string>& simArgs = {}) : sim_(simArgs) {
    TForm1Seams seams(SystemClock::Instance(), loop_);
    const std::string port = sim_.ServicePort();
    seams.enumComPorts = [port] { return std::vector<std::string>{port}; };
    seams.debugOutputFactory = [this] {
      struct TRecorder : TTraceTarget {
        explicit TRecorder(std::vector<std::string>& lines) : lines_(lines) {}
        bool Send(const std::string& text) override {
          lines_.push_back(text);
          return true;
        }
        std::vector<std::string>& lines_;
      };
      return std::make_unique<TRecorder>(trace_);
    };
    form_ = std::make_unique<TForm1>(std::move(seams));
  }

  int TraceCount(const std::string& line) const {
    return static_cast<int>(std::count(trace_.begin(), trace_.end(), line));
  }

  VelaSimProcess sim_;
  HeadlessEventLoop loop_{SystemClock::Instance()};
  std::vector<std::string> trace_;
  std::unique_ptr<TForm1> form_;
};

class SimReadTest : public SimFormTest, public testing::Test {};

TEST_F(SimReadTest, ReadOnceFillsAllCells) {
  TForm1& f = *form_;
  f.Button4.Click();
  ASSERT_TRUE(loop_.RunUntil([&] { return !f.Engine().FBusy; }, 10000)) << f.Memo1.Text();
  EXPECT_EQ(f.Memo1.Lines().back(), msg::kReadDone) << f.Memo1.Text();
  for (int slot = 0; slot < kSlotCount; ++slot) {
    EXPECT_EQ((*f.Engine().FCells)[slot].State(), cvsValue) << "slot " << slot;
  }
  EXPECT_FALSE(f.edTime.Text().empty());
  EXPECT_FALSE(f.Engine().FPort->IsOpen());
}

TEST_F(SimReadTest, ContinuousReadingRunsCyclesUntilEscape) {
  TForm1& f = *form_;
  f.Button5.Click();
  // The first cycle comes with the prefix; each further one starts with GetLinkPrm4.
  ASSERT_TRUE(loop_.RunUntil([&] { return TraceCount("    <GetLinkPrm4>") >= 21; }, 60000))
      << f.Memo1.Text();
  EXPECT_TRUE(f.Engine().FPort->IsOpen());
  EXPECT_EQ(f.Button5.Caption(), msg::kStopReading);
  f.FormKeyPress(27);
  EXPECT_FALSE(f.Engine().FPort->IsOpen());
  EXPECT_FALSE(f.Engine().FBusy);
  EXPECT_EQ(f.Button5.Caption(), msg::kReadContinuously);
  EXPECT_EQ(TraceCount("    <" + std::string(msg::kIdentNoAnswerEsc) + ">"), 0);
}

TEST_F(SimReadTest, UnpluggedDeviceEndsContinuousReadingWithTheReason) {
  TForm1& f = *form_;
  f.Button5.Click();
  ASSERT_TRUE(loop_.RunUntil([&] { return TraceCount("    <GetLinkPrm4>") >= 3; }, 20000));
  sim_.Stop();  // the other end of the line goes away
  ASSERT_TRUE(loop_.RunUntil([&] { return !f.Engine().FBusy; }, 5000)) << f.Memo1.Text();
  EXPECT_NE(f.Memo1.Text().find("Не удалось прочитать данные из порта"), std::string::npos)
      << f.Memo1.Text();
  EXPECT_FALSE(f.Engine().FPort->IsOpen());
  EXPECT_EQ(f.Button5.Caption(), msg::kReadContinuously);
  EXPECT_TRUE(f.Button4.Enabled());
}

// Device variants read once: what the log says and which cells get values.
struct TVariant {
  const char* name;
  std::vector<std::string> simArgs;
  std::vector<std::string> expectedLines;  // consecutive lines of the log
  bool readDone;                           // ends with "Чтение выполнено."
  bool fourWireCellsShown;                 // phase values other than the power factors
};

class SimVariantTest : public SimFormTest, public testing::TestWithParam<TVariant> {
 protected:
  SimVariantTest() : SimFormTest(GetParam().simArgs) {}
};

TEST_P(SimVariantTest, ReadOnceReportsTheDevice) {
  const TVariant& v = GetParam();
  TForm1& f = *form_;
  f.Button4.Click();
  ASSERT_TRUE(loop_.RunUntil([&] { return !f.Engine().FBusy; }, 15000)) << f.Memo1.Text();
  const std::vector<std::string>& lines = f.Memo1.Lines();
  const auto found =
      std::search(lines.begin(), lines.end(), v.expectedLines.begin(), v.expectedLines.end());
  EXPECT_NE(found, lines.end()) << f.Memo1.Text();
  EXPECT_EQ(lines.back() == msg::kReadDone, v.readDone) << f.Memo1.Text();
  EXPECT_EQ((*f.Engine().FCells)[slotUab].State() == cvsValue, v.readDone);
  for (TSlot slot : kFourWireOnlySlots) {
    if (slot >= slotCosA) continue;  // phase power factors also need newer firmware
    EXPECT_EQ((*f.Engine().FCells)[slot].State() == cvsValue, v.fourWireCellsShown)
        << "slot " << slot;
  }
  EXPECT_FALSE(f.Engine().FPort->IsOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Devices, SimVariantTest,
    testing::Values(
        TVariant{
            "OldFirmware",
            {"--old-firmware"},
            {"В приборе установлено устаревшее ПО.", "Рекомендуется обновить прошивку прибора."},
            true,
            true},
        TVariant{"Kant",
                 {"--device", "kant", "--serial", "4242"},
                 {"Прибор идентифицируется как \"СИРТА КАНТ\" (модификация №1), серийный номер "
                  "004242.",
                  "Программа VelaLink предназначена только для работы с \"СИРТА Vela\".",
                  "Проверьте правильность подключений."},
                 false,
                 false},
        TVariant{"ThreeWire", {"--three-wire"}, {std::string(msg::kReadDone)}, true, false}),
    [](const testing::TestParamInfo<TVariant>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vela::test
