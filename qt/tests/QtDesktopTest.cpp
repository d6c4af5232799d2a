// Qt's own dialogs in Russian, the save dialog's default suffix, and the
// window's command line (read before QApplication exists).

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>

#include "qt/QtDesktop.h"
#include "qt/QtDialogs.h"
#include "qt/WindowCommandLine.h"
#include "qt/tests/QtTestApp.h"

namespace vela {
namespace {

TEST(QtTranslationsTest, FileDialogSpeaksRussianUnderARussianLocale) {
  test::EnsureQtApplication();
  QTranslator* russian =
      InstallQtTranslations(*QCoreApplication::instance(), QLocale(QLocale::Russian));
  if (russian == nullptr) GTEST_SKIP() << "qtbase_ru.qm missing (package qt6-translations-l10n)";
  {
    QTemporaryDir folder;
    QFileDialog dialog(nullptr, "запись результатов в файл", folder.path(),
                       QtFileFilter("CSV files|*.csv|ALL files|*.*"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.resize(760, 480);
    dialog.show();
    test::RunEventsUntil([] { return false; }, 200);
    const auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), QString::fromUtf8("Отмена"));
    EXPECT_EQ(dialog.labelText(QFileDialog::FileName).remove('&'), QString::fromUtf8("Имя файла:"));
    dialog.grab().save(test::ArtifactPath("file-dialog-ru"));
  }
  QCoreApplication::removeTranslator(russian);
  delete russian;
}

TEST(QtSaveDialogTest, ANameWithoutExtensionGetsCsv) {
  test::EnsureQtApplication();
  for (const char* given : {"*.csv", ".csv", "csv"}) EXPECT_EQ(QtDefaultSuffix(given), "csv");
  EXPECT_EQ(QtDefaultSuffix(""), "");
  QTemporaryDir folder;
  QFileDialog dialog(nullptr, "", folder.path());
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setDefaultSuffix(QtDefaultSuffix("*.csv"));
  dialog.selectFile("values");
  ASSERT_FALSE(dialog.selectedFiles().isEmpty());
  EXPECT_EQ(dialog.selectedFiles().first(), QDir(folder.path()).filePath("values.csv"));
}

struct WindowLineCase {
  std::vector<std::string> args;
  std::string port;
  bool readOnce, help, version;
  int runSeconds;
  const char* errorPart;  // "" when accepted
};

class WindowCommandLineTest : public testing::TestWithParam<WindowLineCase> {};

TEST_P(WindowCommandLineTest, ParsesOrSaysWhatIsWrong) {
  const WindowLineCase& c = GetParam();
  const WindowCommandLine line = ParseWindowCommandLine(c.args);
  if (*c.errorPart != '\0') {
    EXPECT_NE(line.error.find(c.errorPart), std::string::npos) << line.error;
    return;
  }
  EXPECT_EQ(line.error, "");
  EXPECT_EQ(line.autoRead.port, c.port);
  EXPECT_EQ(line.autoRead.readOnce, c.readOnce);
  EXPECT_EQ(line.help, c.help);
  EXPECT_EQ(line.version, c.version);
  EXPECT_EQ(line.autoRead.runSeconds, c.runSeconds);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, WindowCommandLineTest,
    testing::Values(
        WindowLineCase{{"--port", "COM3"}, "COM3", false, false, false, 0, ""},
        WindowLineCase{{"--port=COM4", "--autoread"}, "COM4", true, false, false, 0, ""},
        WindowLineCase{{"-platform", "offscreen", "--help"}, "", false, true, false, 0, ""},
        WindowLineCase{{"--version"}, "", false, false, true, 0, ""},
        WindowLineCase{{"--continuous=7"}, "", false, false, false, 7, ""},
        WindowLineCase{{"--continuous", "x"}, "", false, false, false, 0, "--continuous"},
        WindowLineCase{{"--port"}, "", false, false, false, 0, "не указано значение"},
        WindowLineCase{{"--autoread=1"}, "", false, false, false, 0, "не принимает"},
        WindowLineCase{{"--colour"}, "", false, false, false, 0, "Неизвестный параметр"}));

// Answers end with their frame unless --exact-timing asks for the silence;
// --fast, once needed for that, is still taken and changes nothing.
struct TimingCase {
  std::vector<std::string> args;
  bool exactTiming;
};

class WindowTimingTest : public testing::TestWithParam<TimingCase> {};

TEST_P(WindowTimingTest, ExactTimingOnlyWhenAskedFor) {
  const WindowCommandLine line = ParseWindowCommandLine(GetParam().args);
  EXPECT_EQ(line.error, "");
  EXPECT_EQ(line.exactTiming, GetParam().exactTiming);
}

INSTANTIATE_TEST_SUITE_P(Cases, WindowTimingTest,
                         testing::Values(TimingCase{{}, false}, TimingCase{{"--fast"}, false},
                                         TimingCase{{"--exact-timing"}, true},
                                         TimingCase{{"--fast", "--exact-timing"}, true}));

TEST(WindowCommandLineTest, UsageListsEveryOption) {
  const std::string usage = WindowUsageText();
  WindowCommandLine line;
  const TOptionTable table = WindowOptionTable(line);
  for (const TOption& option : table.Options()) {
    EXPECT_NE(usage.find(option.name), std::string::npos) << option.name;
    EXPECT_NE(usage.find(option.help), std::string::npos) << option.name;
  }
}

}  // namespace
}  // namespace vela
