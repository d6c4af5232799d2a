// The window's tools against the simulated device: a search for devices on
// the working interface finds both devices on the line, and choosing one
// sets the window's connection to it.

#include <gtest/gtest.h>

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
  ASSERT_TRUE(form.cbComPort.ChooseText(sim.WorkingPort()));
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

}  // namespace
}  // namespace vela
