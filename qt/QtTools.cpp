#include "qt/QtTools.h"

#include <QDesktopServices>
#include <QUrl>

#include "app/commission/CommissionReport.h"
#include "app/commission/SettingsProfile.h"
#include "common/SafeFile.h"
#include "qt/QtEventWait.h"

namespace vela {
namespace {

// The free place in the settings group, right of the IEC options button.
const QRect kToolsButton(372, 58, 140, 28);
constexpr const char* kReportTitle = "Протокол пусконаладки";
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
  QWidget* group = window_.WidgetOf(form_.GroupBox3);
  button_ = new QPushButton("сервис", group);
  button_->setGeometry(kToolsButton);
  button_->setAutoDefault(true);
  button_->setToolTip("Поиск прибора, профили установок, протокол пусконаладки");
  menu_ = new QMenu(button_);
  find_ = menu_->addAction("найти прибор…");
  menu_->addSeparator();
  profile_ = menu_->addAction("сохранить профиль…");
  menu_->addSeparator();
  report_ = menu_->addAction("протокол пусконаладки…");
  wiring_ = menu_->addAction("векторная диаграмма…");
  button_->setMenu(menu_);
  findDialog_ = std::make_unique<QtFindDialog>(form_, &window_);

  QObject::connect(find_, &QAction::triggered, button_, [this] { findDialog_->Execute(); });
  QObject::connect(profile_, &QAction::triggered, button_, [this] { SaveProfile(); });
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

}  // namespace vela
