// The main window without a device: caption and version, the size rule, the
// glyph resources, key preview, and the two directions of the bindings.

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolTip>
#include <string>
#include <vector>

#include "app/HiddenKeySequence.h"
#include "app/Messages.h"
#include "common/ArkSysUtils.h"
#include "qt/QtCanvas.h"
#include "qt/QtKeyPreview.h"
#include "qt/QtProgram.h"
#include "qt/tests/QtTestApp.h"

namespace vela {
namespace {

using test::Quiet;
using test::RecordingMessageBox;

class QtWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureQtApplication(); }
};

TEST_F(QtWindowTest, CaptionCarriesTheVersionOfTheProgramFile) {
  QtProgram program(Quiet());
  ASSERT_FALSE(program.Failed());
  const std::string version = FileVersionText(OwnExecutablePath());
  EXPECT_NE(version, "?.?.?.?");  // the build stamps every executable
  const QString expected =
      QString(msg::kDesignCaption) + " (версия " + QString::fromStdString(version) + ")";
  EXPECT_EQ(program.Window().windowTitle(), expected);
}

struct ResizeCase {
  int width, height;
  int expectedWidth, expectedHeight;
};

class QtResizeTest : public QtWindowTest, public ::testing::WithParamInterface<ResizeCase> {};

TEST_P(QtResizeTest, WindowStaysAtLeastEightHundredBySixHundred) {
  QtProgram program(Quiet());
  QtMainWindow& window = program.Window();
  window.show();
  window.resize(GetParam().width, GetParam().height);
  QCoreApplication::processEvents();
  EXPECT_EQ(window.width(), GetParam().expectedWidth);
  EXPECT_EQ(window.height(), GetParam().expectedHeight);
  // The activity log takes the height the window gains.
  QWidget* memo = window.WidgetOf(program.Form().Memo1);
  ASSERT_NE(memo, nullptr);
  EXPECT_EQ(memo->geometry().bottom() + 1, window.height() - 8);
}

INSTANTIATE_TEST_SUITE_P(Sizes, QtResizeTest,
                         ::testing::Values(ResizeCase{500, 300, 800, 600},
                                           ResizeCase{1200, 900, 1200, 900},
                                           ResizeCase{801, 599, 801, 600},
                                           ResizeCase{799, 601, 800, 601}));

TEST_F(QtWindowTest, LargerWindowGrowsPanelAndLogAndShrinksBackToTheDesignLayout) {
  QtProgram program(Quiet());
  QtMainWindow& window = program.Window();
  window.show();
  QCoreApplication::processEvents();
  // Where the window's controls stand: its own children and those of its groups.
  const auto places = [&window] {
    std::vector<std::string> rects;
    std::vector<QWidget*> owners{&window};
    for (QGroupBox* group : window.findChildren<QGroupBox*>()) owners.push_back(group);
    for (QWidget* owner : owners) {
      for (QWidget* child : owner->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (child->isWindow()) continue;
        const QRect r = child->geometry();
        rects.push_back(child->objectName().toStdString() + "@" + std::to_string(r.x()) + "," +
                        std::to_string(r.y()) + " " + std::to_string(r.width()) + "x" +
                        std::to_string(r.height()));
      }
    }
    return rects;
  };
  const std::vector<std::string> designPlaces = places();
  QWidget& panel = window.Image();
  QWidget* memo = window.WidgetOf(program.Form().Memo1);
  ASSERT_NE(memo, nullptr);
  const QSize designPanel = panel.size(), designMemo = memo->size();

  window.resize(1600, 1000);
  QCoreApplication::processEvents();
  EXPECT_GT(panel.width(), designPanel.width() * 3 / 2);
  EXPECT_GT(panel.height(), designPanel.height() * 3 / 2);
  EXPECT_GT(memo->width(), designMemo.width() * 3 / 2);
  EXPECT_GT(memo->height(), designMemo.height());
  EXPECT_EQ(memo->geometry().bottom() + 1, window.height() - 8);
  // The pointer over the last cell, as shown enlarged, highlights that cell.
  const int lastSlot = kSlotCount - 1;
  const TRect cell = program.Form().Engine().FCells->CellRect(lastSlot);
  const QPoint over((cell.Left + cell.Right) / 2 * panel.width() / kPanelWidth,
                    (cell.Top + cell.Bottom) / 2 * panel.height() / kPanelHeight);
  QMouseEvent move(QEvent::MouseMove, over, panel.mapToGlobal(over), Qt::NoButton, Qt::NoButton,
                   Qt::NoModifier);
  QCoreApplication::sendEvent(&panel, &move);
  EXPECT_TRUE(program.Form().FPanel->Hover());
  EXPECT_EQ(program.Form().FPanel->HoverIndex(), lastSlot);
  // The enlarged panel is painted at the size it is shown, so its text is
  // sharp, not its pixels enlarged.
  const auto* canvas = dynamic_cast<QtCanvas*>(program.Form().Image1.Canvas());
  ASSERT_NE(canvas, nullptr);
  EXPECT_EQ(canvas->Image().width(), panel.width());
  const QImage shot = window.grab().toImage();
  EXPECT_TRUE(shot.save(test::ArtifactPath("window-maximised")));
  for (const QPoint corner :
       {QPoint(shot.width() - 2, 2), QPoint(shot.width() - 2, shot.height() - 2),
        QPoint(shot.width() - 2, panel.mapTo(&window, QPoint(0, 0)).y())}) {
    EXPECT_NE(shot.pixelColor(corner), QColor(Qt::black)) << corner.x() << "," << corner.y();
  }

  window.resize(800, 600);
  QCoreApplication::processEvents();
  EXPECT_EQ(places(), designPlaces);
  EXPECT_EQ(canvas->Image().width(), kPanelWidth);
}

TEST_F(QtWindowTest, MissingGlyphsStopStartUpWithTheMessageBox) {
  RecordingMessageBox box;
  QtProgramOptions options = Quiet();
  options.bitmapFolder = ":/no-such-folder";
  options.messageBox = &box;
  QtProgram program(options);
  EXPECT_TRUE(program.Failed());
  ASSERT_EQ(box.shown.size(), 1u);
  EXPECT_NE(box.shown[0].find(msg::kMissingResources), std::string::npos);
}

TEST_F(QtWindowTest, RecordingButtonShowsTheGlyphFromTheResources) {
  QtProgram program(Quiet());
  auto* record = qobject_cast<QPushButton*>(program.Window().WidgetOf(program.Form().BitBtn1));
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(program.Form().BitBtn1.Glyph(), "CHK0");
  EXPECT_FALSE(record->icon().isNull());
}

TEST_F(QtWindowTest, ControlChangesShowInTheWidgets) {
  QtProgram program(Quiet());
  TForm1& form = program.Form();
  QtMainWindow& window = program.Window();
  form.Button4.SetEnabled(false);
  form.Button5.SetCaption("остановить чтение");
  form.ComboBox1.SetVisible(true);
  form.cbSpeed.SetItemIndex(5);
  EXPECT_FALSE(window.WidgetOf(form.Button4)->isEnabled());
  EXPECT_EQ(qobject_cast<QPushButton*>(window.WidgetOf(form.Button5))->text(), "остановить чтение");
  EXPECT_FALSE(window.WidgetOf(form.ComboBox1)->isHidden());
  EXPECT_EQ(qobject_cast<QComboBox*>(window.WidgetOf(form.cbSpeed))->currentText(), "115200");
  // Hints keep their line breaks, in Qt's form.
  EXPECT_EQ(window.WidgetOf(form.ComboBox4)->toolTip().count('\n'), 6);
  EXPECT_EQ(window.WidgetOf(form.ComboBox4)->toolTip().count('\r'), 0);
}

TEST_F(QtWindowTest, HintShowsTheControlsTextOnRequest) {
  QtProgram program(Quiet());
  QtMainWindow& window = program.Window();
  window.show();
  QWidget* button = window.WidgetOf(program.Form().Button4);
  QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), button->mapToGlobal(QPoint(5, 5)));
  QApplication::sendEvent(button, &help);
  EXPECT_TRUE(QToolTip::isVisible());
  EXPECT_EQ(QToolTip::text().toStdString(), program.Form().Button4.Hint());
  QToolTip::hideText();
}

// A window that goes before its form leaves no handler behind on the
// controls (the sanitizer build catches a stale one).
TEST_F(QtWindowTest, ControlsOutliveASecondWindowOnTheSameForm) {
  QtProgram program(Quiet());
  TForm1& form = program.Form();
  const QtBitmaps bitmaps;
  {
    QtMainWindow second(form, bitmaps);
    form.Button4.SetCaption("первое");
    EXPECT_EQ(qobject_cast<QPushButton*>(second.WidgetOf(form.Button4))->text(), "первое");
  }
  form.Button4.SetCaption("второе");
  form.Image1.Invalidate();
  form.SetCaption("другой заголовок");
  EXPECT_EQ(program.Window().windowTitle(), "другой заголовок");
  EXPECT_EQ(qobject_cast<QPushButton*>(program.Window().WidgetOf(form.Button4))->text(), "второе");
}

TEST_F(QtWindowTest, UserChoiceReachesTheControlAndItsHandler) {
  QtProgram program(Quiet());
  TForm1& form = program.Form();
  auto* box = qobject_cast<QComboBox*>(program.Window().WidgetOf(form.cbInterfaceType));
  ASSERT_NE(box, nullptr);
  box->setCurrentIndex(1);
  Q_EMIT box->activated(1);  // as the user's choice of RS-485
  EXPECT_EQ(form.cbInterfaceType.ItemIndex(), 1);
  EXPECT_TRUE(form.cbAddr.Visible());  // the form's handler ran
  EXPECT_FALSE(program.Window().WidgetOf(form.cbAddr)->isHidden());
}

TEST_F(QtWindowTest, EscapeReachesTheFormBeforeTheFocusedWidget) {
  QtProgram program(Quiet());
  TForm1& form = program.Form();
  QtMainWindow& window = program.Window();
  window.show();
  QWidget* combo = window.WidgetOf(form.cbComPort);
  combo->setFocus();
  QCoreApplication::processEvents();
  // Zoom into the first cell, then Escape leaves the zoom view and keeps the window.
  form.FPanel->MouseMove(600, 10);
  form.FPanel->Click();
  ASSERT_TRUE(form.FPanel->Zoomed());
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b");
  QApplication::sendEvent(QApplication::focusWidget() ? QApplication::focusWidget() : combo,
                          &escape);
  EXPECT_FALSE(form.FPanel->Zoomed());
  EXPECT_FALSE(form.CloseRequested());
  // With nothing running and the port closed, Escape closes the window.
  QKeyEvent again(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier, "\x1b");
  QApplication::sendEvent(&window, &again);
  EXPECT_TRUE(form.CloseRequested());
  EXPECT_FALSE(window.isVisible());
}

struct ServiceViewCase {
  const char* name;
  Qt::KeyboardModifiers modifiers;
  bool serviceView;
};

class QtServiceViewTest : public QtWindowTest,
                          public ::testing::WithParamInterface<ServiceViewCase> {};

// The hidden key sequence typed into the window, with the focus on a button.
TEST_P(QtServiceViewTest, HiddenSequenceReachesTheFormThroughKeyPreview) {
  QtProgram program(Quiet());
  TForm1& form = program.Form();
  QtMainWindow& window = program.Window();
  window.show();
  QWidget* focus = window.WidgetOf(form.Button7);
  focus->setFocus();
  QCoreApplication::processEvents();
  for (const uint16_t key : THiddenKeySequence::kKeys) {
    QKeyEvent press(QEvent::KeyPress, key, GetParam().modifiers);
    QApplication::sendEvent(focus, &press);
  }
  EXPECT_EQ(form.FServiceView, GetParam().serviceView);
  QWidget* rate = window.WidgetOf(form.ComboBox1);
  QWidget* factory = window.WidgetOf(form.Button8);
  EXPECT_EQ(rate->isHidden(), !GetParam().serviceView);
  EXPECT_EQ(factory->x(), GetParam().serviceView ? 601 : 519);
  EXPECT_EQ(factory->width(), GetParam().serviceView ? 168 : 250);
  // The rate box and the factory-defaults button share the row without overlap.
  if (GetParam().serviceView) {
    EXPECT_LE(rate->geometry().right(), factory->x());
  }
  const QFontInfo memoFont(window.WidgetOf(form.Memo1)->font());
  EXPECT_EQ(memoFont.fixedPitch(), GetParam().serviceView);
}

INSTANTIATE_TEST_SUITE_P(
    Modifiers, QtServiceViewTest,
    ::testing::Values(ServiceViewCase{"ctrl", Qt::ControlModifier, true},
                      ServiceViewCase{"ctrl_shift", Qt::ControlModifier | Qt::ShiftModifier, false},
                      ServiceViewCase{"none", Qt::NoModifier, false}),
    [](const auto& info) { return std::string(info.param.name); });

struct ShiftCase {
  Qt::KeyboardModifiers modifiers;
  Qt::MouseButtons buttons;
  TShiftState expected;
};

TEST(QtShiftStateTest, ModifiersAndButtonsMapToTheFormsShiftState) {
  const ShiftCase cases[] = {
      {Qt::NoModifier, Qt::NoButton, 0},
      {Qt::ControlModifier, Qt::NoButton, ssCtrl},
      {Qt::ControlModifier | Qt::ShiftModifier, Qt::NoButton, ssCtrl | ssShift},
      {Qt::AltModifier, Qt::LeftButton, ssAlt | ssLeft},
      {Qt::NoModifier, Qt::RightButton | Qt::MiddleButton, ssRight | ssMiddle},
  };
  for (const ShiftCase& c : cases) {
    EXPECT_EQ(ShiftStateOf(c.modifiers, c.buttons), c.expected);
  }
}

}  // namespace
}  // namespace vela
