// The whole window against the simulated device: a read fills the panel, and
// pictures of the overview and of the zoom view with its trend go to
// build/artifacts for a person to look at.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QProcess>
#include <QTest>
#include <string>
#include <vector>

#include "app/Messages.h"
#include "qt/QtAutoRead.h"
#include "qt/QtCanvas.h"
#include "qt/QtProgram.h"
#include "qt/tests/QtTestApp.h"
#include "serial/PortDiscovery.h"
#include "tests/support/VelaSimProcess.h"

namespace vela {
namespace {

constexpr int kReadLimitMs = 20000;

bool LogHas(const TForm1& form, const std::string& text) {
  for (const std::string& line : form.Memo1.Lines()) {
    if (line == text) return true;
  }
  return false;
}

// Presses "прочитать однократно" and lets the loop run until the read ended.
bool ReadOnce(TForm1& form) {
  form.Button4.Click();
  return test::RunEventsUntil([&] { return !form.Engine().FBusy; }, kReadLimitMs) &&
         LogHas(form, msg::kReadDone);
}

void SendMouse(QWidget& widget, QEvent::Type type, const QPoint& at) {
  QMouseEvent event(type, at, widget.mapToGlobal(at),
                    type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton,
                    type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&widget, &event);
}

class QtReadTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::EnsureQtApplication();
    sim_ = std::make_unique<test::VelaSimProcess>();
    QtProgramOptions options;
    options.debugConsole = false;
    program_ = std::make_unique<QtProgram>(options);
    ASSERT_FALSE(program_->Failed());
    program_->Window().show();
    ASSERT_TRUE(program_->Form().ChoosePort(sim_->ServicePort()));
  }
  void TearDown() override {
    program_.reset();
    sim_.reset();
  }
  TForm1& Form() { return program_->Form(); }

  std::unique_ptr<test::VelaSimProcess> sim_;
  std::unique_ptr<QtProgram> program_;
};

TEST_F(QtReadTest, ReadFillsThePanelAndTheClockField) {
  ASSERT_TRUE(ReadOnce(Form())) << Form().Memo1.Text();
  const TMeasurementCells& cells = *Form().Engine().FCells;
  EXPECT_EQ(cells[slotF].State(), cvsValue);
  EXPECT_NEAR(cells[slotF].Value(), 50.0, 1.0);
  EXPECT_NEAR(cells[slotUa].Value(), 230.0, 20.0);
  EXPECT_FALSE(Form().edTime.Text().empty());
  EXPECT_TRUE(Form().Button4.Enabled());
  // The panel's picture has the cells in it: the image is no longer plain.
  // The value of f is drawn in the cells' value colour on the panel image.
  auto* canvas = dynamic_cast<QtCanvas*>(Form().Image1.Canvas());
  ASSERT_NE(canvas, nullptr);
  const TRect cell = cells.CellRect(slotF);
  int valuePixels = 0;
  for (int y = cell.Top; y < cell.Bottom; ++y) {
    for (int x = cell.Left + 45; x < cell.Right; ++x) {
      valuePixels += canvas->Image().pixelColor(x, y) == ToQColor(kCellValueColor);
    }
  }
  EXPECT_GT(valuePixels, 20);
  EXPECT_TRUE(SaveScreenshot(program_->Window(), test::ArtifactPath("overview")));
}

TEST_F(QtReadTest, ZoomViewCollectsATrendFromRepeatedReads) {
  ASSERT_TRUE(ReadOnce(Form())) << Form().Memo1.Text();
  ImageWidget& image = program_->Window().Image();
  const TRect cell = Form().Engine().FCells->CellRect(slotF);
  SendMouse(image, QEvent::MouseMove, QPoint(cell.Left + 20, cell.Top + 8));
  ASSERT_TRUE(Form().FPanel->Hover());
  SendMouse(image, QEvent::MouseButtonPress, QPoint(cell.Left + 20, cell.Top + 8));
  ASSERT_TRUE(Form().FPanel->Zoomed());
  for (int i = 0; i < 6; ++i) ASSERT_TRUE(ReadOnce(Form())) << Form().Memo1.Text();
  EXPECT_GE(Form().FPanel->Plot().Count(), 7);
  EXPECT_TRUE(Form().FPanel->Plot().HasData());
  EXPECT_TRUE(SaveScreenshot(program_->Window(), test::ArtifactPath("zoom-trend")));
  // A click in the zoom view returns to the overview.
  SendMouse(image, QEvent::MouseButtonPress, QPoint(10, 10));
  EXPECT_FALSE(Form().FPanel->Zoomed());
}

// Enter on the focused "прочитать однократно" reads, and the focus is back on
// it afterwards: the next Space reads again instead of starting a recording.
TEST_F(QtReadTest, FocusStaysOnTheButtonThatStartedTheRead) {
  QtMainWindow& window = program_->Window();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QWidget* readOnce = window.WidgetOf(Form().Button4);
  readOnce->setFocus();
  QTest::keyClick(readOnce, Qt::Key_Return);
  EXPECT_TRUE(Form().Engine().FBusy);
  EXPECT_NE(QApplication::focusWidget(), window.WidgetOf(Form().BitBtn1));
  ASSERT_TRUE(test::RunEventsUntil([&] { return !Form().Engine().FBusy; }, kReadLimitMs));
  ASSERT_TRUE(LogHas(Form(), msg::kReadDone)) << Form().Memo1.Text();
  EXPECT_EQ(QApplication::focusWidget(), readOnce);
}

TEST_F(QtReadTest, PortListFollowsDevicesComingAndGoing) {
  auto* box = qobject_cast<QComboBox*>(program_->Window().WidgetOf(Form().cbComPort));
  ASSERT_NE(box, nullptr);
  const auto listed = [&](const std::string& port) {
    return box->findText(QString::fromStdString(port + " "), Qt::MatchStartsWith) >= 0;
  };
  auto second =
      std::make_unique<test::VelaSimProcess>(std::vector<std::string>{}, sim_->PortsFolder());
  const std::string added = second->ServicePort();
  EXPECT_TRUE(test::RunEventsUntil([&] { return listed(added); }, kReadLimitMs));
  EXPECT_EQ(PortNameOfItem(Form().cbComPort.Text()), sim_->ServicePort());  // the choice stays
  second.reset();
  EXPECT_TRUE(test::RunEventsUntil([&] { return !listed(added); }, kReadLimitMs));
  EXPECT_EQ(PortNameOfItem(box->currentText().toStdString()), sim_->ServicePort());
}

// The program itself, as scripts/run starts it on a machine without a display:
// over MODBUS on the service interface, and over IEC 60870-5-101 on the
// working interface.
struct UnattendedCase {
  const char* name;
  std::vector<std::string> simArgs;
  QStringList linkArgs;
};

TEST(QtProgramRunTest, UnattendedReadSavesAScreenshotAndSucceeds) {
  const UnattendedCase cases[] = {
      {"unattended-read", {}, {}},
      {"unattended-iec-read",
       {"--both", "--protocol", "iec"},
       {"--interface", "rs485", "--protocol", "iec101"}},
  };
  for (const UnattendedCase& c : cases) {
    test::VelaSimProcess sim(c.simArgs);
    const QString shot = test::ArtifactPath(c.name);
    QFile::remove(shot);
    QProcess velalink;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    velalink.setProcessEnvironment(env);
    const std::string& port = c.linkArgs.isEmpty() ? sim.ServicePort() : sim.WorkingPort();
    velalink.start(VELALINK_EXE, QStringList{"--port", QString::fromStdString(port)} + c.linkArgs +
                                     QStringList{"--autoread", "--screenshot", shot});
    ASSERT_TRUE(velalink.waitForFinished(kReadLimitMs + 10000)) << c.name;
    EXPECT_EQ(velalink.exitCode(), 0) << c.name << velalink.readAllStandardError().toStdString();
    EXPECT_EQ(QString(velalink.readAllStandardOutput()).trimmed(), "screenshot: " + shot) << c.name;
    EXPECT_TRUE(QImage(shot).size() == QSize(800, 600)) << c.name;
  }
}

// No device on the port: the read fails, the program says so and ends with 1.
TEST(QtProgramRunTest, UnattendedReadWithoutAnswerFails) {
  test::VelaSimProcess sim({"--no-answer"});
  QProcess velalink;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert("QT_QPA_PLATFORM", "offscreen");
  velalink.setProcessEnvironment(env);
  velalink.start(VELALINK_EXE, {"--port", QString::fromStdString(sim.ServicePort()), "--autoread"});
  ASSERT_TRUE(velalink.waitForFinished(kReadLimitMs + 10000));
  EXPECT_EQ(velalink.exitCode(), 1);
  EXPECT_TRUE(velalink.readAllStandardError().contains("чтение не выполнено"));
}

}  // namespace
}  // namespace vela
