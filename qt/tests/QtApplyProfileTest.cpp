// "применить профиль…" against the simulated device: the changes are shown
// before anything is written, and the device holds the profile's settings
// only when the operator confirms.

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "qt/QtProgram.h"
#include "qt/tests/QtTestApp.h"
#include "tests/support/VelaSimProcess.h"

namespace vela {
namespace {

constexpr int kLimitMs = 20000;

class NoSaveDialog : public TSaveDialog {
 public:
  bool Execute(const std::string&, const std::string&, const std::string&, std::string&) override {
    return false;
  }
};

TEST(QtApplyProfileTest, TwoSettingsAreWrittenAndReadBackOnlyWhenConfirmed) {
  struct Case {
    bool confirm;
    const char* address;  // what the device holds afterwards
    const char* speed;
    const char* lastLine;
  };
  const Case cases[] = {
      {false, "1", "38400", "запись отменена; ничего не записано."},
      {true, "17", "19200", "Установки прочитаны обратно и совпадают с профилем."},
  };
  test::EnsureQtApplication();
  test::VelaSimProcess sim;
  QtProgram program(test::Quiet());
  ASSERT_FALSE(program.Failed());
  TForm1& form = program.Form();
  ASSERT_TRUE(form.ChoosePort(sim.ServicePort()));
  NoSaveDialog saveDialog;
  test::RecordingMessageBox messages;
  SystemClock clock;
  QtTools tools(form, program.Window(), saveDialog, messages, clock);
  QTemporaryDir folder;
  const QString profile = folder.filePath("profile.json");
  QFile file(profile);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write("{\"speed\": 19200, \"address\": 17, \"network\": 4}\n");
  file.close();
  tools.ChooseProfileFile = [&](std::string& fileName) {
    fileName = profile.toStdString();
    return true;
  };
  for (const Case& c : cases) {
    std::vector<QString> shown;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
      QtProfileDialog& dialog = tools.ProfileDialog();
      if (!dialog.isVisible()) return;
      answer.stop();
      for (int row = 0; row < dialog.Table().rowCount(); ++row) {
        shown.push_back(dialog.Table().item(row, 0)->text() + "|" +
                        dialog.Table().item(row, 1)->text() + "|" +
                        dialog.Table().item(row, 2)->text());
      }
      (c.confirm ? dialog.WriteButton() : dialog.CancelButton()).click();
    });
    answer.start(20);
    tools.ApplyProfileAction().trigger();
    EXPECT_EQ(shown, (std::vector<QString>{"скорость|38400|19200", "адрес|1|17"})) << c.confirm;
    EXPECT_TRUE(form.Memo1.Text().find(c.lastLine) != std::string::npos) << form.Memo1.Text();
    form.Button7.Click();  // what the device holds now
    ASSERT_TRUE(test::RunEventsUntil([&] { return !form.Engine().Busy(); }, kLimitMs));
    EXPECT_EQ(std::to_string(form.Engine().DeviceSettings().address), c.address);
    EXPECT_EQ(form.Engine().DeviceSettings().SpeedText(), c.speed);
  }
  EXPECT_TRUE(messages.shown.empty());
}

}  // namespace
}  // namespace vela
