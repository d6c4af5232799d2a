#include "qt/QtTools.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QUrl>
#include <optional>

#include "app/EngineSettings.h"
#include "app/commission/CommissionReport.h"
#include "app/commission/SettingsProfile.h"
#include "common/SafeFile.h"
#include "qt/QtEventWait.h"

namespace vela {
namespace {

// The free place in the settings group, right of the IEC options button.
const QRect kToolsButton(372, 58, 140, 28);
constexpr const char* kReportTitle = "Протокол пусконаладки";
constexpr const char* kApplyTitle = "Применить профиль";
// A read once ends well within this; the engine's own time-outs end it first.
constexpr int kOperationLimitMs = 120000;

}  // namespace

QtTools::QtTools(TForm1& form, QtMainWindow& window, TSaveDialog& saveDialog,
                 TMessageBox& messageBox, const Clock& clock)
    : form_(form),
      window_(window),
      saveDialog_(saveDialog),
      messageBox_(messageBox),
      clock_(clock) {
  OpenFile = [](const std::string& fileName) {
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(fileName)));
  };
  ChooseProfileFile = [this](std::string& fileName) {
    const QString chosen = QFileDialog::getOpenFileName(
        &window_, kApplyTitle, QString(), "Профиль установок (*.json);;Все файлы (*)");
    fileName = chosen.toStdString();
    return !chosen.isEmpty();
  };
  QWidget* group = window_.WidgetOf(form_.GroupBox3);
  button_ = new QPushButton("сервис", group);
  button_->setGeometry(kToolsButton);
  button_->setAutoDefault(true);
  button_->setToolTip("Поиск прибора, профили установок, протокол пусконаладки");
  menu_ = new QMenu(button_);
  find_ = menu_->addAction("найти прибор…");
  menu_->addSeparator();
  profile_ = menu_->addAction("сохранить профиль…");
  applyProfile_ = menu_->addAction("применить профиль…");
  menu_->addSeparator();
  report_ = menu_->addAction("протокол пусконаладки…");
  wiring_ = menu_->addAction("векторная диаграмма…");
  button_->setMenu(menu_);
  findDialog_ = std::make_unique<QtFindDialog>(form_, &window_);
  profileDialog_ = std::make_unique<QtProfileDialog>(&window_);

  QObject::connect(find_, &QAction::triggered, button_, [this] { findDialog_->Execute(); });
  QObject::connect(profile_, &QAction::triggered, button_, [this] { SaveProfile(); });
  QObject::connect(applyProfile_, &QAction::triggered, button_, [this] { ApplyProfile(); });
  QObject::connect(report_, &QAction::triggered, button_, [this] { SaveReport(); });
  QObject::connect(wiring_, &QAction::triggered, button_, [this] { form_.btnWiring.Click(); });
  QObject::connect(menu_, &QMenu::aboutToShow, button_, [this] { FollowForm(); });
  FollowForm();
}

QtTools::~QtTools() = default;

void QtTools::FollowForm() {
  // What the window would refuse is not offered.
  const bool idle = !form_.Engine().Busy();
  find_->setEnabled(idle && !form_.Engine().InIecMode());
  report_->setEnabled(idle);
  profile_->setEnabled(idle && !form_.Engine().InIecMode());
  applyProfile_->setEnabled(idle && !form_.Engine().InIecMode());
  wiring_->setEnabled(form_.btnWiring.Enabled() && form_.btnWiring.Visible());
}

bool QtTools::RunOperation(TOperationKind kind) {
  TVelaEngine& engine = form_.Engine();
  engine.Start(kind);
  RunEventsUntil([&] { return !engine.Busy(); }, kOperationLimitMs);
  if (engine.Busy()) engine.CancelOperation();
  return engine.LastOutcome().Succeeded();
}

void QtTools::SaveReport() {
  TVelaEngine& engine = form_.Engine();
  std::string fileName = "протокол-пусконаладки.html";
  if (!saveDialog_.Execute(kReportTitle, "Страница HTML (*.html)|*.html|Markdown (*.md)|*.md",
                           "html", fileName)) {
    return;
  }
  // Everything the report holds comes from one read once, as on the command line.
  if (!RunOperation(TOperationKind::ReadOnce)) {
    messageBox_.Show(kReportTitle, "Прибор не прочитан; отчёт не составлен.");
    return;
  }
  try {
    const TReportFacts facts =
        FactsOfThisComputer(clock_.Now(), "VelaLink", engine.ProgramLink().rs485);
    if (!WriteReport(fileName, CommissionReport(engine, facts))) {
      messageBox_.Show(kReportTitle,
                       "Отчёт не записан в файл " + fileName + ": проверьте путь и права.");
      return;
    }
  } catch (const std::exception& e) {
    messageBox_.Show(kReportTitle, e.what());
    return;
  }
  engine.Log("Протокол пусконаладки записан: " + fileName);
  if (messageBox_.Ask(kReportTitle, "Отчёт записан: " + fileName + "\nОткрыть его?") && OpenFile) {
    OpenFile(fileName);
  }
}

void QtTools::SaveProfile() {
  constexpr const char* kTitle = "Профиль установок";
  TVelaEngine& engine = form_.Engine();
  // The settings the window shows; read first when it shows none.
  if (!engine.DeviceSettingsKnown() && !RunOperation(TOperationKind::ReadSettings)) {
    messageBox_.Show(kTitle, "Установки прибора не прочитаны; профиль не сохранён.");
    return;
  }
  std::string fileName = "профиль.json";
  if (!saveDialog_.Execute(kTitle, "Профиль установок (*.json)|*.json", "json", fileName)) return;
  if (!WriteWholeFile(fileName, ProfileText(engine)).Ok()) {
    messageBox_.Show(kTitle, "Профиль не записан в файл " + fileName + ": проверьте путь и права.");
    return;
  }
  engine.Log("Профиль сохранён: " + fileName);
}

void QtTools::ApplyProfile() {
  TVelaEngine& engine = form_.Engine();
  std::string fileName;
  if (engine.Busy() || !ChooseProfileFile || !ChooseProfileFile(fileName)) return;
  // Says why nothing was written, in the log and in a message.
  const auto refuse = [&](const std::string& text) {
    engine.Log(text);
    messageBox_.Show(kApplyTitle, text);
  };
  std::optional<TSettingsProfile> profile;
  try {
    profile = TSettingsProfile::FromFile(fileName, engine);
  } catch (const std::exception& e) {
    refuse("Профиль " + fileName + ": " + e.what() + ". Ничего не записано.");
    return;
  }
  // What the profile changes is what the device holds now, not what the window shows.
  if (!RunOperation(TOperationKind::ReadSettings) || !engine.LastOutcome().settings) {
    refuse("Установки прибора не прочитаны; запись не выполнялась.");
    return;
  }
  try {
    profile->CheckFrameFitsProtocol(engine);
  } catch (const std::exception& e) {
    refuse("Профиль " + fileName + ": " + e.what() + ". Ничего не записано.");
    return;
  }
  const std::vector<TProfileDifference> changes = profile->Differences(engine);
  if (changes.empty()) {
    engine.Log("Установки прибора уже совпадают с профилем " + fileName + "; ничего не записано.");
    return;
  }
  if (!profileDialog_->Execute(fileName, changes)) {
    engine.Log("Профиль " + fileName + " не применён: запись отменена; ничего не записано.");
    return;
  }
  profile->ApplyTo(engine);
  // The window's boxes show what is written: its write takes them.
  if (engine.OnDeviceSettingsChanged) engine.OnDeviceSettingsChanged();
  if (!RunOperation(TOperationKind::WriteSettings)) {
    const auto& write = engine.LastOutcome().write;
    refuse(write && write->Partial()
               ? "Установки записаны не полностью: см. состояние блоков в журнале; прочитайте "
                 "установки и примените профиль ещё раз."
               : "Установки из профиля " + fileName + " не записаны.");
    return;
  }
  if (engine.ProgramLink().rs485 && !FollowWrittenLink()) return;
  ReadBackProfile(*profile, fileName, changes);
}

bool QtTools::FollowWrittenLink() {
  const TDeviceSettingsModel written = form_.Engine().DeviceSettings();
  if (written.protocol == 2) {
    const std::string text =
        "Установки записаны; прибор теперь работает по IEC 60870-5-101, поэтому прочитать их "
        "обратно по MODBUS нельзя: проверьте их чтением установок через интерфейс USB.";
    form_.Engine().Log(text);
    messageBox_.Show(kApplyTitle, text);
    return false;
  }
  form_.ComboBox2.Choose(written.protocol);
  form_.ComboBox3.Choose(IndexOfText(kProgramSpeeds, written.SpeedText()));
  form_.ComboBox4.Choose(written.frame);
  if (written.address >= 1) form_.cbAddr.Choose(written.address - 1);
  return true;
}

void QtTools::ReadBackProfile(const TSettingsProfile& profile, const std::string& fileName,
                              const std::vector<TProfileDifference>& written) {
  TVelaEngine& engine = form_.Engine();
  const bool read = RunOperation(TOperationKind::ReadSettings) && engine.LastOutcome().settings;
  // The read-back clears the log: what was written is said after it.
  std::string changes;
  for (const TProfileDifference& change : written) {
    changes += (changes.empty() ? "" : "; ") + change.name + " " +
               ShownProfileValue(change.key, change.device) + " → " +
               ShownProfileValue(change.key, change.profile);
  }
  engine.Log("Профиль " + fileName + " записан в прибор: " + changes + ".");
  if (!read) {
    const std::string text =
        "Установки записаны, но не прочитаны обратно: прочитайте их кнопкой «прочитать "
        "установки».";
    engine.Log(text);
    messageBox_.Show(kApplyTitle, text);
    return;
  }
  std::string differing;
  for (const TProfileDifference& left : profile.Differences(engine)) {
    differing += "\n  " + left.name + ": в профиле " + ShownProfileValue(left.key, left.profile) +
                 ", в приборе " + ShownProfileValue(left.key, left.device);
  }
  if (!differing.empty()) {
    const std::string text = "Прочитанные обратно установки не совпадают с профилем:" + differing;
    engine.Log(text);
    messageBox_.Show(kApplyTitle, text);
    return;
  }
  engine.Log("Установки прочитаны обратно и совпадают с профилем.");
}

}  // namespace vela
