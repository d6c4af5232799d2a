// The window's tools against the simulated device: a search for devices on
// the working interface finds both devices on the line, and choosing one
// sets the window's connection to it; the report and the profile are
// written where the save dialog says.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>

#include "app/Messages.h"
#include "qt/QtProgram.h"
#include "qt/tests/QtTestApp.h"
#include "tests/support/VelaSimProcess.h"

namespace vela {
namespace {

constexpr int kLimitMs = 20000;

TEST(QtToolsTest, FindFromTheWindowListsBothDevicesAndConnectsToTheChosenOne) {
  test::EnsureQtApplication();
  test::VelaSimProcess sim({"--working", "--extra-device", "2:654321"});
  QtProgram program(test::Quiet());
  ASSERT_FALSE(program.Failed());
  TForm1& form = program.Form();
  program.Window().show();
  form.cbInterfaceType.Choose(1);  // RS-485
  ASSERT_TRUE(form.ChoosePort(sim.WorkingPort()));
  QtFindDialog& dialog = program.Tools().FindDialog();
  std::vector<QString> listed;
  QTimer::singleShot(0, &dialog, [&] {
    dialog.FirstAddress().setValue(1);
    dialog.LastAddress().setValue(3);
    dialog.CurrentLineOnly().setChecked(true);  // MODBUS RTU, 38400, 8E1
    dialog.StartButton().click();               // returns once the search has ended
    for (int row = 0; row < dialog.Results().count(); ++row) {
      listed.push_back(dialog.Results().item(row)->text());
    }
    EXPECT_EQ(dialog.Progress().value(), 3);
    dialog.Results().setCurrentRow(1);
    dialog.ConnectButton().click();
    if (dialog.isVisible()) dialog.reject();
  });
  ASSERT_TRUE(program.Tools().FindAction().isEnabled());
  program.Tools().FindAction().trigger();
  EXPECT_EQ(listed,
            (std::vector<QString>{"Vela: адрес 1, MODBUS RTU, 38400, 8E1, серийный номер 123456",
                                  "Vela: адрес 2, MODBUS RTU, 38400, 8E1, серийный номер 654321"}));
  EXPECT_EQ(form.cbAddr.ItemIndex(), 1);
  EXPECT_EQ(form.Engine().ProgramLink().address, 2);
  form.Button4.Click();
  ASSERT_TRUE(test::RunEventsUntil([&] { return !form.Engine().Busy(); }, kLimitMs));
  EXPECT_EQ(form.Engine().FDevInfo->GetSerial(), 654321u) << form.Memo1.Text();
}

// Answers the save dialog with a name of the test's choice.
class ScriptedSaveDialog : public TSaveDialog {
 public:
  bool Execute(const std::string&, const std::string&, const std::string&,
               std::string& fileName) override {
    fileName = answer;
    return true;
  }
  std::string answer;
};

TEST(QtToolsTest, ReportAndProfileAreWrittenWhereTheSaveDialogSays) {
  struct Case {
    const char* file;
    QAction& (QtTools::*action)();
    const char* contains;
  };
  const Case cases[] = {{"report.html", &QtTools::ReportAction, "Протокол пусконаладки"},
                        {"report.md", &QtTools::ReportAction, "# Протокол пусконаладки"},
                        {"profile.json", &QtTools::ProfileAction, "\"serial_number\": \"123456\""}};
  test::EnsureQtApplication();
  test::VelaSimProcess sim;
  QtProgram program(test::Quiet());
  ASSERT_FALSE(program.Failed());
  ASSERT_TRUE(program.Form().ChoosePort(sim.ServicePort()));
  ScriptedSaveDialog saveDialog;
  test::RecordingMessageBox messages;
  messages.answer = false;  // the report is not opened
  SystemClock clock;
  QtTools tools(program.Form(), program.Window(), saveDialog, messages, clock);
  QTemporaryDir folder;
  for (const Case& c : cases) {
    saveDialog.answer = folder.filePath(c.file).toStdString();
    (tools.*c.action)().trigger();
    QFile written(folder.filePath(c.file));
    ASSERT_TRUE(written.open(QIODevice::ReadOnly)) << c.file << "\n" << program.Form().Memo1.Text();
    EXPECT_TRUE(QString::fromUtf8(written.readAll()).contains(QString::fromUtf8(c.contains)))
        << c.file;
  }
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(messages.asked.size(), 2u);  // "Открыть его?" after each report
}

}  // namespace
}  // namespace vela
