// CSV recording through the main window: the file as the operator gets it,
// the rate limit during continuous reading, a file that goes away.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/Messages.h"
#include "common/DateTime.h"
#include "display/RegionalSettings.h"
#include "tests/app/FormHarness.h"

namespace vela::test {
#ifdef _WIN32
bool UnderWine();  // UnderWine.cpp
#endif
namespace {

class RecordingFlowTest : public testing::Test {
 protected:
  RecordingFlowTest() {
    SetCurrentRegionalSettings({',', TDateOrder::DayMonthYear, '.', false, false});
    h.MakeSupportedVela();
    h.clock().SetNow(EncodeDateTime(2026, 12, 7, 9, 5, 3));
    h.saveDialog().answer = file.string();
  }
  ~RecordingFlowTest() override {
    std::filesystem::remove(file);
    SetCurrentRegionalSettings(saved);
  }

  std::string FileText() const {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  int Records() const {
    const std::string text = FileText();
    int count = -1;  // the header's line
    for (size_t at = 0; (at = text.find("\r\n", at)) != std::string::npos; at += 2) ++count;
    return count;
  }

  const TRegionalSettings saved = CurrentRegionalSettings();
  const std::filesystem::path file = std::filesystem::temp_directory_path() /
                                     ("velalink-rec-" + std::to_string(::getpid()) + ".csv");
  FormHarness h;
};

TEST_F(RecordingFlowTest, ThreeWireRecordByteForByte) {
  h.holding[20667] = 1;  // 3-wire
  h.form().BitBtn1.Click();
  h.form().Button4.Click();
  h.AnswerAll();
  EXPECT_EQ(FileText(),
            "\r\nTime;;Ua;Ub;Uc;Uo;;Ia;Ib;Ic;Io;;Uab;Ubc;Uca;;Pa;Pb;Pc;P;;Qa;Qb;Qc;Q;;Sa;Sb;Sc;S;;f"
            // Time, an empty column, then the groups; the 3-wire network has no
            // phase voltages, no Io and no per-phase powers.
            "\r\n07.12.2026 09:05:03;;;;;;;0,0000;0,0000;0,0000;;;0,00;0,00;0,00;;;;;0,0;;;;;0,0;;"
            ";;;0,0;;50,000");
}

// Continuous reading with the rate limit item: records at least that far
// apart, the first one at once.
struct RateCase {
  int item;
  int cycleMs;  // the time one cycle takes here
  int cycles;
  int records;
};

TEST_F(RecordingFlowTest, RateLimitThinsContinuousRecords) {
  const RateCase cases[] = {{0, 1000, 5, 5}, {4, 3000, 9, 3}, {1, 500, 6, 3}, {7, 20000, 4, 2}};
  for (const RateCase& c : cases) {
    FormHarness local;
    local.MakeSupportedVela();
    local.saveDialog().answer = file.string();
    TForm1& f = local.form();
    f.ComboBox1.SetItemIndex(c.item);
    f.BitBtn1.Click();
    f.Button5.Click();
    for (int i = 0; i < 6; ++i) local.Answer();  // the prefix
    for (int cycle = 0; cycle < c.cycles; ++cycle) {
      for (int i = 0; i < 5; ++i) local.Answer();  // values, f, time, cos, phase cos
      local.clock().SetNow(local.clock().Now() + c.cycleMs / 86400000.0);
      local.Answer();  // GetLinkPrm4 of the next cycle
    }
    f.Button5.Click();
    f.BitBtn1.Click();
    EXPECT_EQ(Records(), c.records) << "item " << c.item;
  }
}

TEST_F(RecordingFlowTest, DeletedFileIsCreatedAgainWithItsHeaderAndLoggedOnce) {
#ifdef _WIN32
  if (UnderWine()) {
    GTEST_SKIP() << "Wine keeps a removed file's name until its last handle closes "
                    "(Windows 10 removes it at once)";
  }
#endif
  TForm1& f = h.form();
  f.BitBtn1.Click();
  f.Button4.Click();
  h.AnswerAll();
  ASSERT_EQ(Records(), 1);
  std::filesystem::remove(file);
  f.Button4.Click();
  h.AnswerAll();
  // The read still finishes; the new file starts with the header again.
  EXPECT_EQ(h.log().back(), msg::kReadDone);
  std::string recreated = "\"";
  recreated.append(file.string()).append("\" пропал и создан заново");
  EXPECT_NE(f.Memo1.Text().find(recreated), std::string::npos) << f.Memo1.Text();
  EXPECT_EQ(FileText().rfind(TCsvRecorder::Header() + "\r\n07.12.2026", 0), 0u) << FileText();
  EXPECT_EQ(Records(), 1);
  EXPECT_EQ(f.BitBtn1.Glyph(), "CHK1");
}

}  // namespace
}  // namespace vela::test
