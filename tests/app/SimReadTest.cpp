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

class SimReadTest : public testing::Test {
 protected:
  SimReadTest() {
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

TEST_F(SimReadTest, ReadOnceFillsAllCells) {
  TForm1& f = *form_;
  f.Button4.Click();
  ASSERT_TRUE(loop_.RunUntil([&] { return !f.FBusy; }, 10000)) << f.Memo1.Text();
  EXPECT_EQ(f.Memo1.Lines().back(), msg::kReadDone) << f.Memo1.Text();
  for (int slot = 0; slot < kSlotCount; ++slot) {
    EXPECT_EQ((*f.FCells)[slot].State(), cvsValue) << "slot " << slot;
  }
  EXPECT_FALSE(f.edTime.Text().empty());
  EXPECT_FALSE(f.FPort->IsOpen());
}

TEST_F(SimReadTest, ContinuousReadingRunsCyclesUntilEscape) {
  TForm1& f = *form_;
  f.Button5.Click();
  // The first cycle comes with the prefix; each further one starts with GetLinkPrm4.
  ASSERT_TRUE(loop_.RunUntil([&] { return TraceCount("    <GetLinkPrm4>") >= 21; }, 60000))
      << f.Memo1.Text();
  EXPECT_TRUE(f.FPort->IsOpen());
  EXPECT_EQ(f.Button5.Caption(), msg::kStopReading);
  f.FormKeyPress(27);
  EXPECT_FALSE(f.FPort->IsOpen());
  EXPECT_FALSE(f.FBusy);
  EXPECT_EQ(f.Button5.Caption(), msg::kReadContinuously);
  EXPECT_EQ(TraceCount("    <" + std::string(msg::kIdentNoAnswerEsc) + ">"), 0);
}

TEST_F(SimReadTest, UnpluggedDeviceEndsContinuousReadingWithTheReason) {
  TForm1& f = *form_;
  f.Button5.Click();
  ASSERT_TRUE(loop_.RunUntil([&] { return TraceCount("    <GetLinkPrm4>") >= 3; }, 20000));
  sim_.Stop();  // the other end of the line goes away
  ASSERT_TRUE(loop_.RunUntil([&] { return !f.FBusy; }, 5000)) << f.Memo1.Text();
  EXPECT_NE(f.Memo1.Text().find("Не удалось прочитать данные из порта"), std::string::npos)
      << f.Memo1.Text();
  EXPECT_FALSE(f.FPort->IsOpen());
  EXPECT_EQ(f.Button5.Caption(), msg::kReadContinuously);
  EXPECT_TRUE(f.Button4.Enabled());
}

}  // namespace
}  // namespace vela::test
