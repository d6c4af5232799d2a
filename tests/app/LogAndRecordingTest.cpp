#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/Messages.h"
#include "tests/app/FormHarness.h"

namespace vela::test {
namespace {

TEST(ActivityLogTest, CappedAtMaxLinesDroppingTheOldest) {
  std::vector<std::string> traced;
  TActivityLog log([&](const std::string& t) { traced.push_back(t); });
  for (int i = 0; i < TActivityLog::kMaxLines + 5; ++i) log.Log(std::to_string(i));
  ASSERT_EQ(log.Lines().size(), static_cast<size_t>(TActivityLog::kMaxLines));
  EXPECT_EQ(log.Lines().front(), "5");
  EXPECT_EQ(traced.back(), "    <" + std::to_string(TActivityLog::kMaxLines + 4) + ">");
}

TEST(ActivityLogTest, FailingConsoleNeverReachesTheLog) {
  TActivityLog log([](const std::string&) { throw std::runtime_error("pipe"); });
  log.Log("строка");
  EXPECT_EQ(log.Lines(), std::deque<std::string>{"строка"});
}

TEST(ActivityLogTest, ExchangeIsTracedInHex) {
  FormHarness h;
  h.MakeSupportedVela();
  h.form().Button4.Click();
  EXPECT_EQ(h.trace()[h.trace().size() - 2], "    <DevInfo>");
  EXPECT_EQ(h.trace().back(), " Wr: 010403000008F188");
  h.Reply(std::string("\x01\x84\x02\xC2\xC1", 5));
  EXPECT_EQ(h.trace()[h.trace().size() - 2], " Rd: 018402C2C1");
  EXPECT_EQ(h.trace().back(), "Exc: MODBUS: Некорректный адрес данных");
}

TEST(ActivityLogTest, SettingsReadWritesProgressLinesOnlyWhenVerbose) {
  FormHarness h;
  h.MakeSupportedVela();
  h.form().Button7.Click();
  h.AnswerAll();
  EXPECT_TRUE(h.LogHas(msg::kNetworkTypeRead));
  EXPECT_TRUE(h.LogHas(msg::kLinkSettingsRead));
  EXPECT_EQ(h.form().GroupBox2.Caption(), "серийный номер 000123");
}

TEST(ActivityLogTest, MissingDebugConsoleIsReportedAtStartup) {
  VirtualClock clock;
  HeadlessEventLoop loop(clock);
  TForm1Seams seams(clock, loop);
  seams.portFactory = [](const std::string& name) {
    return std::make_unique<TArkComPort>(name, std::make_unique<ScriptedBackend>());
  };
  seams.debugOutputFactory = []() -> std::unique_ptr<TTraceTarget> {
    throw TArkException("нет сокета");
  };
  TForm1 form(std::move(seams));
  EXPECT_EQ(form.Memo1.Lines(),
            (std::vector<std::string>{msg::kNoDebugConsole1, msg::kNoDebugConsole2}));
}

TEST(StartupTest, MissingGlyphStopsStartup) {
  struct TShownBox : TMessageBox {
    void Show(const std::string&, const std::string& text) override { shown = text; }
    bool Ask(const std::string&, const std::string&) override { return false; }
    std::string shown;
  } box;
  VirtualClock clock;
  HeadlessEventLoop loop(clock);
  TForm1Seams seams(clock, loop);
  seams.messageBox = &box;
  seams.hasResource = [](const std::string& name) { return name != "CHK0"; };
  TForm1 form(std::move(seams));
  EXPECT_TRUE(form.StartupFailed());
  EXPECT_EQ(box.shown, msg::kMissingResources);
  EXPECT_FALSE(form.Engine().FPort->IsOpen());  // nothing was opened
}

TEST(RecordingTest, OneRecordPerCompletedRead) {
  FormHarness h;
  h.MakeSupportedVela();
  const auto file = std::filesystem::temp_directory_path() /
                    ("velalink-app-" + std::to_string(::getpid()) + ".csv");
  h.saveDialog().answer = file.string();
  h.form().BitBtn1.Click();
  EXPECT_EQ(h.saveDialog().lastTitle, "запись результатов в файл");
  EXPECT_EQ(h.form().BitBtn1.Glyph(), "CHK1");
  for (int read = 0; read < 2; ++read) {
    h.form().Button4.Click();
    h.AnswerAll();
  }
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  EXPECT_EQ(text.str().rfind("\r\nTime;;", 0), 0u);
  size_t records = 0;
  for (size_t at = 0; (at = text.str().find("\r\n", at)) != std::string::npos; at += 2) ++records;
  EXPECT_EQ(records, 3u);  // header + two records
  h.form().BitBtn1.Click();
  EXPECT_EQ(h.form().BitBtn1.Glyph(), "CHK0");
  in.close();  // Windows removes no file that a reader holds open
  std::filesystem::remove(file);
}

TEST(RecordingTest, UnwritableFileIsReportedAndReadGoesOn) {
  FormHarness h;
  h.MakeSupportedVela();
  h.saveDialog().answer = "/nonexistent-dir/x.csv";
  h.form().BitBtn1.Click();
  EXPECT_EQ(h.form().BitBtn1.Glyph(), "CHK0");
  EXPECT_FALSE(h.log().empty());
}

}  // namespace
}  // namespace vela::test
