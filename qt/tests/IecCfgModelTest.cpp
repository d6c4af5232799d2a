// The IEC 60870-5-101 options dialog: loading and storing in both modes, the
// interval check and the common address box's input rules, on the values
// and through the Qt dialog.

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

#include "common/ArkTypes.h"
#include "iec101/IecDeviceOptions.h"
#include "iec101/IecSettings.h"
#include "qt/IecCfgModel.h"
#include "qt/QtAutoRead.h"
#include "qt/QtIecOptionsDialog.h"
#include "qt/tests/QtTestApp.h"

namespace vela {
namespace {

class IecCfgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    IecDeviceOptions() = TIecDeviceOptions::Factory();
    RestoreDefaultIecSettings();
    SetExpectedCommonAddress(1);
  }
  void TearDown() override { SetUp(); }
};

struct AddressTextCase {
  const char* text;
  const char* expected;
};

TEST(IecCommonAddressTest, TextOutsideOneTo65533BecomesOne) {
  const AddressTextCase cases[] = {
      {"1", "1"},   {"65533", "65533"}, {"65534", "1"},
      {"0", "1"},   {"", "1"},          {"-5", "1"},
      {"12a", "1"}, {"120", "120"},     {"99999999999999999999", "1"},
  };
  for (const AddressTextCase& c : cases)
    EXPECT_EQ(IecCommonAddressText(c.text), c.expected) << c.text;
}

TEST(IecCommonAddressTest, EveryTypedNonDigitIsEnteredAsZero) {
  std::string text;
  for (char key : {'1', '2', 'a'}) text += IecCommonAddressKey(key);
  EXPECT_EQ(text, "120");
  EXPECT_EQ(IecCommonAddressKey('\b'), '0');
  EXPECT_EQ(IecCommonAddressKey('9'), '9');
}

TEST_F(IecCfgTest, ModesDifferInRowsButtonsAndHeight) {
  const TIecCfgView device = LoadIecCfg(TIecCfgMode::Device);
  const TIecCfgView connection = LoadIecCfg(TIecCfgMode::Connection);
  EXPECT_TRUE(device.deviceRowsVisible);
  EXPECT_TRUE(device.cyclicEnabled);
  EXPECT_EQ(device.buttonsTop, 280);
  EXPECT_EQ(device.formHeight, 347);
  EXPECT_FALSE(connection.deviceRowsVisible);
  EXPECT_FALSE(connection.cyclicEnabled);
  EXPECT_TRUE(connection.cyclic);
  EXPECT_EQ(connection.buttonsTop, 206);
  EXPECT_EQ(connection.formHeight, 273);
}

TEST_F(IecCfgTest, DeviceModeStoresEveryField) {
  TIecCfgView view = LoadIecCfg(TIecCfgMode::Device);
  view.linkAddressLength = 2;
  view.commonAddressLength = 2;
  view.cotLength = 2;
  view.ioaLength = 3;
  view.commonAddress = "4321";
  view.asduFormatIndex = 1;
  view.cyclic = true;
  view.interval = "250";
  StoreIecCfg(TIecCfgMode::Device, view);
  const TIecDeviceOptions& o = IecDeviceOptions();
  EXPECT_EQ(o.LinkAddressLength, 2);
  EXPECT_EQ(o.CommonAddressLength, 2);
  EXPECT_EQ(o.CotLength, 2);
  EXPECT_EQ(o.IoaLength, 3);
  EXPECT_EQ(o.CommonAddress, 4321);
  EXPECT_EQ(o.AsduFormat, 14);
  EXPECT_TRUE(o.CyclicTransmission);
  EXPECT_EQ(o.CyclicInterval, 250);
  // The program's own connection is not touched in device mode.
  EXPECT_EQ(LinkAddressLength(), 1u);
}

TEST_F(IecCfgTest, BadIntervalKeepsTheOldOneAndStoresTheRest) {
  TIecCfgView view = LoadIecCfg(TIecCfgMode::Device);
  view.cyclic = true;
  view.asduFormatIndex = 1;
  for (const char* bad : {"abc", "", "12.5", "99999999999"}) {
    view.interval = bad;
    try {
      StoreIecCfg(TIecCfgMode::Device, view);
      ADD_FAILURE() << "accepted " << bad;
    } catch (const TArkException& e) {
      EXPECT_EQ(e.Message(), std::string("Ошибка ввода. Некорректное значение таймаута \"") + bad +
                                 "\" заменено на \"1000\".");
    }
    EXPECT_EQ(view.interval, "1000");
    EXPECT_EQ(IecDeviceOptions().CyclicInterval, 1000);
    EXPECT_EQ(IecDeviceOptions().AsduFormat, 14);  // stored before the check
  }
}

TEST_F(IecCfgTest, ConnectionModeSetsTheFieldLengthsAndExpectedAddress) {
  TIecCfgView view = LoadIecCfg(TIecCfgMode::Connection);
  view.linkAddressLength = 0;
  view.ioaLength = 3;
  view.commonAddress = "77";
  view.interval = "not looked at";
  StoreIecCfg(TIecCfgMode::Connection, view);
  EXPECT_EQ(LinkAddressLength(), 0u);
  EXPECT_EQ(IoaLength(), 3u);
  EXPECT_EQ(ExpectedCommonAddress(), 77u);
  EXPECT_EQ(IecDeviceOptions(), TIecDeviceOptions::Factory());
}

class QtIecDialogTest : public IecCfgTest {
 protected:
  void SetUp() override {
    test::EnsureQtApplication();
    IecCfgTest::SetUp();
  }
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

TEST_F(QtIecDialogTest, OkWithABadIntervalReportsAndStillConfirms) {
  QtIecOptionsDialog dialog;
  std::vector<std::string> failures;
  dialog.OnStoreFailed = [&](const std::exception& e) { failures.push_back(e.what()); };
  QTimer::singleShot(0, &dialog, [&] {
    dialog.CyclicBox().setChecked(true);
    dialog.IntervalEdit().setText("abc");
    dialog.OkButton().click();
  });
  EXPECT_TRUE(dialog.Show(TIecCfgMode::Device));
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_NE(failures[0].find("\"abc\" заменено на \"1000\""), std::string::npos);
  EXPECT_EQ(dialog.IntervalEdit().text(), "1000");
  EXPECT_TRUE(IecDeviceOptions().CyclicTransmission);
}

TEST_F(QtIecDialogTest, CancelChangesNothing) {
  QtIecOptionsDialog dialog;
  QTimer::singleShot(0, &dialog, [&] {
    dialog.CyclicBox().setChecked(true);
    dialog.reject();
  });
  EXPECT_FALSE(dialog.Show(TIecCfgMode::Device));
  EXPECT_EQ(IecDeviceOptions(), TIecDeviceOptions::Factory());
}

TEST_F(QtIecDialogTest, ConnectionModeHidesTheDeviceRows) {
  QtIecOptionsDialog dialog;
  dialog.Load(TIecCfgMode::Connection);
  EXPECT_TRUE(dialog.IntervalEdit().isHidden());
  EXPECT_FALSE(dialog.CyclicBox().isEnabled());
  EXPECT_TRUE(dialog.CyclicBox().isChecked());
  EXPECT_EQ(dialog.height(), kIecCfgConnectionFormHeight - 34);
  dialog.Load(TIecCfgMode::Device);
  EXPECT_FALSE(dialog.IntervalEdit().isHidden());
  EXPECT_EQ(dialog.height(), kIecCfgDeviceFormHeight - 34);
}

TEST_F(QtIecDialogTest, PicturesOfBothModes) {
  QtIecOptionsDialog dialog;
  dialog.Load(TIecCfgMode::Device);
  EXPECT_TRUE(SaveScreenshot(dialog, test::ArtifactPath("options-device")));
  dialog.Load(TIecCfgMode::Connection);
  EXPECT_TRUE(SaveScreenshot(dialog, test::ArtifactPath("options-connection")));
}

}  // namespace
}  // namespace vela
