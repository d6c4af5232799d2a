// Continuous reading in the window rides through a device that goes away and
// comes back on the same port: the loss and the return are logged with their
// times, the values are hidden meanwhile, and reading resumes by itself, over
// MODBUS and over IEC 60870-5-101. A read once cut off by the loss ends with a
// message of what to do.

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "iec101/IecOptionsDialog.h"
#include "qt/QtProgram.h"
#include "qt/tests/QtTestApp.h"
#include "tests/support/VelaSimProcess.h"

namespace vela {
namespace {

constexpr int kLimitMs = 20000;

int LinesStartingWith(const TForm1& form, const std::string& start) {
  int count = 0;
  for (const std::string& line : form.Memo1.Lines()) count += line.rfind(start, 0) == 0 ? 1 : 0;
  return count;
}

TEST(QtUnplugTest, ContinuousReadingResumesWhenTheSamePortComesBack) {
  test::EnsureQtApplication();
  auto first = std::make_unique<test::VelaSimProcess>();
  const std::string port = first->ServicePort();
  QtProgram program(test::Quiet());
  TForm1& form = program.Form();
  TVelaEngine& engine = form.Engine();
  program.Window().show();
  ASSERT_TRUE(form.ChoosePort(port));
  form.Button5.Click();
  const auto reading = [&] {
    return engine.ContinuousRunning() && engine.FExchangeStats.Figures().readings > 0;
  };
  ASSERT_TRUE(test::RunEventsUntil(reading, kLimitMs)) << form.Memo1.Text();

  first->Stop();  // the device goes away
  ASSERT_TRUE(test::RunEventsUntil([&] { return engine.PortOutageRunning(); }, kLimitMs))
      << form.Memo1.Text();
  EXPECT_EQ(LinesStartingWith(form, "Порт " + port + " потерян в "), 1) << form.Memo1.Text();
  EXPECT_NE(engine.Cells()[slotF].State(), cvsValue);  // nothing stale stays on show
  EXPECT_FALSE(engine.ContinuousRunning());

  // The same device back on the same port name.
  test::VelaSimProcess second({"--com", port.substr(3)}, first->PortsFolder());
  ASSERT_EQ(second.ServicePort(), port);
  ASSERT_TRUE(test::RunEventsUntil(reading, kLimitMs)) << form.Memo1.Text();
  EXPECT_FALSE(engine.PortOutageRunning());
  EXPECT_EQ(LinesStartingWith(form, "Порт " + port + " снова доступен в "), 1) << form.Memo1.Text();
  EXPECT_EQ(engine.Cells()[slotF].State(), cvsValue);
  form.Button5.Click();
  EXPECT_TRUE(test::RunEventsUntil([&] { return !engine.Busy(); }, kLimitMs));
}

TEST(QtUnplugTest, ReadOnceCutOffByTheLossEndsWithWhatToDo) {
  test::EnsureQtApplication();
  // Slow answers: the device goes away while the read once is under way.
  test::VelaSimProcess sim({"--turnaround", "200"});
  const std::string port = sim.ServicePort();
  QtProgram program(test::Quiet());
  TForm1& form = program.Form();
  TVelaEngine& engine = form.Engine();
  program.Window().show();
  ASSERT_TRUE(form.ChoosePort(port));
  form.Button4.Click();
  ASSERT_TRUE(engine.Busy());
  sim.Stop();
  ASSERT_TRUE(test::RunEventsUntil([&] { return !engine.Busy(); }, kLimitMs)) << form.Memo1.Text();
  const std::vector<std::string>& lines = form.Memo1.Lines();
  ASSERT_FALSE(lines.empty());
  EXPECT_EQ(lines.back().rfind("Порт " + port + " потерян в ", 0), 0u) << form.Memo1.Text();
  EXPECT_NE(lines.back().find("чтение однократно прервано. Проверьте кабель и адаптер; когда "
                              "порт вернётся, прочитайте снова."),
            std::string::npos)
      << form.Memo1.Text();
  EXPECT_FALSE(engine.PortOutageRunning());  // no reading resumes by itself
  EXPECT_NE(engine.Cells()[slotF].State(), cvsValue);
}

// The connection dialog confirmed as it is loaded.
class ConfirmingIecDialog : public TIecOptionsDialog {
 public:
  bool Execute(TIecOptionsMode, TIecOptions&) override { return true; }
};

TEST(QtUnplugTest, IecContinuousReadingResetsTheLinkAndResumesWhenThePortComesBack) {
  test::EnsureQtApplication();
  auto first = std::make_unique<test::VelaSimProcess>(
      std::vector<std::string>{"--both", "--protocol", "iec"});
  const std::string port = first->WorkingPort();
  QtProgram program(test::Quiet());
  TForm1& form = program.Form();
  TVelaEngine& engine = form.Engine();
  ConfirmingIecDialog dialog;
  engine.SetIecOptionsDialog(&dialog);
  program.Window().show();
  form.cbInterfaceType.Choose(1);
  ASSERT_TRUE(form.ChoosePort(port));
  ASSERT_TRUE(form.ComboBox2.ChooseText("IEC 60870-5-101"));
  ASSERT_TRUE(engine.InIecMode());
  form.Button5.Click();
  const auto readings = [&] { return engine.FExchangeStats.Figures().readings; };
  ASSERT_TRUE(test::RunEventsUntil([&] { return readings() > 0; }, kLimitMs)) << form.Memo1.Text();

  first->Stop();
  ASSERT_TRUE(test::RunEventsUntil([&] { return engine.PortOutageRunning(); }, kLimitMs))
      << form.Memo1.Text();
  EXPECT_EQ(LinesStartingWith(form, "Порт " + port + " потерян в "), 1) << form.Memo1.Text();
  EXPECT_NE(engine.Cells()[slotF].State(), cvsValue);
  EXPECT_FALSE(engine.ContinuousRunning());

  test::VelaSimProcess second({"--both", "--protocol", "iec", "--com",
                               first->ServicePort().substr(3), "--working-com", port.substr(3)},
                              first->PortsFolder());
  ASSERT_EQ(second.WorkingPort(), port);
  // Reading resumes on a fresh link: reset, interrogated, read.
  ASSERT_TRUE(
      test::RunEventsUntil([&] { return engine.ContinuousRunning() && readings() > 0; }, kLimitMs))
      << form.Memo1.Text();
  EXPECT_FALSE(engine.PortOutageRunning());
  EXPECT_EQ(LinesStartingWith(form, "Порт " + port + " снова доступен в "), 1) << form.Memo1.Text();
  EXPECT_EQ(LinesStartingWith(form, "Отказ"), 0) << form.Memo1.Text();
  EXPECT_EQ(engine.Cells()[slotF].State(), cvsValue);
  form.Button5.Click();
  EXPECT_TRUE(test::RunEventsUntil([&] { return !engine.Busy(); }, kLimitMs));
  engine.SetIecOptionsDialog(nullptr);
}

}  // namespace
}  // namespace vela
