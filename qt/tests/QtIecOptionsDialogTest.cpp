// The IEC 60870-5-101 options dialog as a Qt dialog: keys typed into the real
// common address box, OK and Cancel, the rows and heights of both modes, the
// refusal of a common address or a link address that does not fit, and
// pictures of both modes.

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "iec101/IecCfgForm.h"
#include "iec101/IecOptionsDialog.h"
#include "qt/QtAutoRead.h"
#include "qt/QtIecOptionsDialog.h"
#include "qt/QtProgram.h"
#include "qt/tests/QtTestApp.h"

namespace vela {
namespace {

class QtIecDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { test::EnsureQtApplication(); }
  // What the dialog is handed and gives back.
  TIecOptions options_;
};

TEST_F(QtIecDialogTest, TypingIntoTheCommonAddressBox) {
  QtIecOptionsDialog dialog;
  QLineEdit& edit = *dialog.CommonAddressBox().lineEdit();
  edit.selectAll();  // the first key replaces the text shown
  for (const char* key : {"1", "2", "a"}) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, key);
    QCoreApplication::sendEvent(&edit, &press);
  }
  EXPECT_EQ(dialog.CommonAddressBox().currentText(), "120");
  // Deleting everything leaves "1".
  edit.selectAll();
  QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
  QCoreApplication::sendEvent(&edit, &del);
  EXPECT_EQ(dialog.CommonAddressBox().currentText(), "1");
}

// Keys as a user types them: to the focused combo box, which hands them on to
// its line edit itself.
TEST_F(QtIecDialogTest, KeysTypedIntoTheComboBoxFollowTheRule) {
  struct Case {
    const char* keys;
    const char* expected;
  };
  const Case cases[] = {{"34x", "340"}, {"12a", "120"}, {"9 -", "900"}, {"0", "1"}};
  QtIecOptionsDialog dialog;
  QComboBox& box = dialog.CommonAddressBox();
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  box.setFocus();
  ASSERT_EQ(QApplication::focusWidget(), &box);
  for (const Case& c : cases) {
    box.lineEdit()->selectAll();
    QTest::keyClicks(QApplication::focusWidget(), QString::fromUtf8(c.keys));
    EXPECT_EQ(box.currentText(), c.expected) << c.keys;
  }
  box.setEditText("12");
  QTest::keyClick(&box, Qt::Key_Backspace);  // entered as a zero
  EXPECT_EQ(box.currentText(), "120");
  QTest::sendKeyEvent(QTest::Click, &box, Qt::Key_unknown, QString("ю"), Qt::NoModifier);
  EXPECT_EQ(box.currentText(), "1200");
  box.lineEdit()->selectAll();
  QTest::keyClick(&box, Qt::Key_Delete);
  EXPECT_EQ(box.currentText(), "1");
}

TEST_F(QtIecDialogTest, OkWithABadIntervalKeepsTheDialogOpenAndStoresNothing) {
  test::RecordingMessageBox messages;
  QtIecOptionsDialog dialog(nullptr, &messages);
  bool openAfterRefusal = false;
  QTimer::singleShot(0, &dialog, [&] {
    dialog.CyclicBox().setChecked(true);
    dialog.CommonAddressBox().setEditText("7");
    dialog.IntervalEdit().setText("abc");
    dialog.OkButton().click();
    openAfterRefusal = dialog.isVisible();
    dialog.reject();
  });
  EXPECT_FALSE(dialog.Execute(TIecOptionsMode::Device, options_));
  EXPECT_TRUE(openAfterRefusal);
  EXPECT_EQ(options_.device, TIecDeviceOptions::Factory());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0],
            "Настройки протокола ГОСТ Р МЭК 60870-5-101|Интервал циклической передачи \"abc\" "
            "недопустим: укажите целое число.");
}

// Enter confirms a freshly opened dialog in both modes, with the focus where
// the dialog puts it or in the common address box, even when the last use
// ended with Enter on "Отмена".
TEST_F(QtIecDialogTest, EnterConfirmsInBothModes) {
  struct Case {
    TIecOptionsMode mode;
    bool focusOnAddress;
  };
  const Case cases[] = {{TIecOptionsMode::Device, false},
                        {TIecOptionsMode::Device, true},
                        {TIecOptionsMode::Connection, false},
                        {TIecOptionsMode::Connection, true}};
  for (const Case& c : cases) {
    QtIecOptionsDialog dialog;
    const auto pressEnter = [&dialog](QWidget* focus) {
      QTimer::singleShot(0, &dialog, [&dialog, focus] {
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
        if (focus) focus->setFocus();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        if (dialog.isVisible()) dialog.reject();  // Enter did nothing
      });
    };
    pressEnter(&dialog.CancelButton());
    EXPECT_FALSE(dialog.Execute(c.mode, options_));
    pressEnter(c.focusOnAddress ? &dialog.CommonAddressBox() : nullptr);
    EXPECT_TRUE(dialog.Execute(c.mode, options_)) << c.focusOnAddress;
  }
}

TEST_F(QtIecDialogTest, CancelChangesNothingInEitherMode) {
  for (TIecOptionsMode mode : {TIecOptionsMode::Device, TIecOptionsMode::Connection}) {
    QtIecOptionsDialog dialog;
    QTimer::singleShot(0, &dialog, [&] {
      dialog.CyclicBox().setChecked(!dialog.CyclicBox().isChecked());
      dialog.CommonAddressBox().setEditText("42");
      dialog.CommonAddressLengthBox().setCurrentIndex(1);
      dialog.reject();
    });
    EXPECT_FALSE(dialog.Execute(mode, options_));
    EXPECT_EQ(options_.device, TIecDeviceOptions::Factory());
    EXPECT_EQ(options_.connection, TIecLinkSettings());
  }
}

TEST_F(QtIecDialogTest, ACommonAddressThatDoesNotFitIsRefusedAndTheDialogStaysOpen) {
  for (TIecOptionsMode mode : {TIecOptionsMode::Device, TIecOptionsMode::Connection}) {
    options_ = {};
    test::RecordingMessageBox messages;
    QtIecOptionsDialog dialog(nullptr, &messages);
    bool openAfterRefusal = false;
    QTimer::singleShot(0, &dialog, [&] {
      dialog.CommonAddressBox().setEditText("300");
      dialog.OkButton().click();  // one octet: refused
      openAfterRefusal = dialog.isVisible();
      EXPECT_EQ(options_.device, TIecDeviceOptions::Factory());
      EXPECT_EQ(options_.connection, TIecLinkSettings());
      dialog.CommonAddressLengthBox().setCurrentIndex(1);
      dialog.OkButton().click();
    });
    EXPECT_TRUE(dialog.Execute(mode, options_));
    EXPECT_TRUE(openAfterRefusal);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0],
              "Настройки протокола ГОСТ Р МЭК 60870-5-101|Общий адрес ASDU 300 не помещается в "
              "поле длиной 1 байт: допустимы значения от 1 до 254. Укажите адрес из этого "
              "диапазона или выберите длину общего адреса ASDU 2 байта.");
    if (mode == TIecOptionsMode::Device) {
      EXPECT_EQ(options_.device.CommonAddress, 300);
      EXPECT_EQ(options_.device.CommonAddressLength, 2);
    } else {
      EXPECT_EQ(options_.connection.expectedCommonAddress, 300u);
      EXPECT_EQ(options_.connection.lengths.CommonAddressLength(), 2u);
    }
  }
}

// The link address follows the link address length chosen beside it: 1-254
// with one octet, 1-65534 with two, 0 only without the field. A refused
// address keeps the dialog open and stores nothing.
TEST_F(QtIecDialogTest, TheLinkAddressRangeFollowsItsLength) {
  const struct {
    int length;
    const char* address;
    const char* refusal;  // none: stored
  } cases[] = {
      {1, "254", nullptr},
      {1, "255",
       "Адрес канала 255 не подходит для поля адреса длиной 1 байт: допустимы значения от 1 до "
       "254."},
      {1, "0",
       "Адрес канала 0 не подходит для поля адреса длиной 1 байт: допустимы значения от 1 до "
       "254."},
      {2, "300", nullptr},
      {2, "65534", nullptr},
      {2, "0",
       "Адрес канала 0 не подходит для поля адреса длиной 2 байт: допустимы значения от 1 до "
       "65534."},
      {2, "65535", "Адрес канала \"65535\" недопустим: укажите целое число от 0 до 65534."},
      {0, "0", nullptr},
      {1, "abc", "Адрес канала \"abc\" недопустим: укажите целое число от 0 до 65534."},
  };
  for (const auto& c : cases) {
    options_ = {};
    test::RecordingMessageBox messages;
    QtIecOptionsDialog dialog(nullptr, &messages);
    bool open = false;
    QTimer::singleShot(0, &dialog, [&] {
      dialog.LinkAddressLengthBox().setCurrentIndex(c.length);
      dialog.LinkAddressEdit().setText(c.address);
      dialog.OkButton().click();
      open = dialog.isVisible();
      if (open) dialog.reject();
    });
    const bool stored = dialog.Execute(TIecOptionsMode::Connection, options_);
    EXPECT_EQ(stored, c.refusal == nullptr) << c.address;
    EXPECT_EQ(open, c.refusal != nullptr) << c.address;
    if (c.refusal) {
      EXPECT_EQ(options_.connection, TIecLinkSettings()) << c.address;
      ASSERT_EQ(messages.shown.size(), 1u) << c.address;
      EXPECT_EQ(messages.shown[0],
                std::string("Настройки протокола ГОСТ Р МЭК 60870-5-101|") + c.refusal);
    } else {
      EXPECT_EQ(options_.connection.linkAddress, std::stoul(c.address)) << c.address;
      EXPECT_EQ(options_.connection.lengths.LinkAddressLength(), static_cast<uint32_t>(c.length));
      EXPECT_TRUE(messages.shown.empty()) << c.address;
    }
  }
}

TEST_F(QtIecDialogTest, TheOptionsButtonOpensTheProgramsDialogInDeviceMode) {
  QtProgram program(test::Quiet());
  ASSERT_FALSE(program.Failed());
  QtIecOptionsDialog& dialog = program.OptionsDialog();
  EXPECT_EQ(dialog.parentWidget(), &program.Window());
  bool shownInDeviceMode = false;
  QTimer::singleShot(0, &dialog, [&] {
    shownInDeviceMode = dialog.isVisible() && !dialog.IntervalEdit().isHidden();
    dialog.reject();
  });
  ASSERT_TRUE(program.Form().btnIecCfg.OnClick);
  program.Form().btnIecCfg.OnClick();
  EXPECT_TRUE(shownInDeviceMode);
}

TEST_F(QtIecDialogTest, ConnectionModeHidesTheDeviceRows) {
  QtIecOptionsDialog dialog;
  dialog.Load(TIecOptionsMode::Connection, options_);
  EXPECT_TRUE(dialog.IntervalEdit().isHidden());
  EXPECT_FALSE(dialog.CyclicBox().isEnabled());
  EXPECT_TRUE(dialog.CyclicBox().isChecked());
  EXPECT_FALSE(dialog.AnswerTimeEdit().isHidden());
  EXPECT_FALSE(dialog.StaleAfterEdit().isHidden());
  EXPECT_FALSE(dialog.InterrogationPeriodEdit().isHidden());
  EXPECT_FALSE(dialog.LinkAddressEdit().isHidden());
  EXPECT_EQ(dialog.height(), 405 - kIecCfgFrameHeight);
  EXPECT_EQ(dialog.OkButton().y(), 338);
  dialog.Load(TIecOptionsMode::Device, options_);
  EXPECT_FALSE(dialog.IntervalEdit().isHidden());
  EXPECT_TRUE(dialog.AnswerTimeEdit().isHidden());
  EXPECT_TRUE(dialog.StaleAfterEdit().isHidden());
  EXPECT_TRUE(dialog.LinkAddressEdit().isHidden());
  EXPECT_EQ(dialog.height(), 347 - kIecCfgFrameHeight);
  EXPECT_EQ(dialog.OkButton().y(), 280);
}

TEST_F(QtIecDialogTest, PicturesOfBothModes) {
  QtIecOptionsDialog dialog;
  dialog.Load(TIecOptionsMode::Device, options_);
  EXPECT_TRUE(SaveScreenshot(dialog, test::ArtifactPath("options-device")));
  dialog.Load(TIecOptionsMode::Connection, options_);
  EXPECT_TRUE(SaveScreenshot(dialog, test::ArtifactPath("options-connection")));
}

}  // namespace
}  // namespace vela
