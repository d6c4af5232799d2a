#include "qt/QtFindDialog.h"

#include <QCoreApplication>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

#include "app/EngineSettings.h"
#include "qt/QtCanvas.h"
#include "qt/QtEventWait.h"

namespace vela {
namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

constexpr int kNotChoosable = -1;

}  // namespace

QtFindDialog::QtFindDialog(TForm1& form, QWidget* parent) : QDialog(parent), form_(form) {
  setWindowTitle("Поиск прибора");
  setFont(WindowFont());
  setMinimumWidth(560);
  where_ = new QLabel(this);
  where_->setWordWrap(true);
  firstAddress_ = new QSpinBox(this);
  lastAddress_ = new QSpinBox(this);
  for (QSpinBox* box : {firstAddress_, lastAddress_}) box->setRange(1, kMaxAddress);
  lastAddress_->setValue(kMaxAddress);
  currentLine_ = new QCheckBox("только протокол, скорость и формат, выбранные в окне", this);
  progress_ = new QProgressBar(this);
  status_ = new QLabel(this);
  status_->setWordWrap(true);
  results_ = new QListWidget(this);
  results_->setMinimumHeight(120);
  start_ = new QPushButton("Начать поиск", this);
  connect_ = new QPushButton("Подключиться", this);
  cancel_ = new QPushButton("Закрыть", this);
  start_->setDefault(true);

  auto* addresses = new QHBoxLayout;
  addresses->addWidget(firstAddress_);
  addresses->addWidget(new QLabel("—", this));
  addresses->addWidget(lastAddress_);
  addresses->addStretch();
  auto* limits = new QFormLayout;
  limits->addRow("адреса:", addresses);
  limits->addRow(currentLine_);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(start_);
  buttons->addWidget(connect_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(where_);
  layout->addLayout(limits);
  layout->addWidget(progress_);
  layout->addWidget(status_);
  layout->addWidget(new QLabel("найденные приборы (двойной щелчок — подключиться):", this));
  layout->addWidget(results_);
  layout->addLayout(buttons);

  connect(start_, &QPushButton::clicked, this, [this] { Search(); });
  connect(cancel_, &QPushButton::clicked, this, [this] { Cancel(); });
  connect(connect_, &QPushButton::clicked, this, [this] { ConnectChosen(); });
  connect(results_, &QListWidget::itemDoubleClicked, this, [this] { ConnectChosen(); });
  connect(results_, &QListWidget::currentRowChanged, this, [this] { FollowState(); });
}

bool QtFindDialog::Execute() {
  const TProgramLink& link = form_.Engine().ProgramLink();
  rs485_ = link.rs485;
  where_->setText(
      rs485_ ? "Порт " + Q(link.port) +
                   ", линия RS-485: проверяются все протоколы, скорости, "
                   "форматы и адреса по очереди, начиная с самых частых."
             : "Порт " + Q(link.port) +
                   ", интерфейс USB: прибор отвечает только по MODBUS RTU, 38400, 8E1, адрес 1; "
                   "проверяется только это.");
  for (QWidget* limit : {static_cast<QWidget*>(firstAddress_), static_cast<QWidget*>(lastAddress_),
                         static_cast<QWidget*>(currentLine_)}) {
    limit->setEnabled(rs485_);
  }
  found_.clear();
  results_->clear();
  progress_->reset();
  status_->clear();
  FollowState();
  start_->setFocus();
  return exec() == QDialog::Accepted;
}

TFindOptions QtFindDialog::Limits() const {
  TFindOptions options;
  options.all = true;  // every device on the line, until Cancel
  for (int a = firstAddress_->value(); a <= lastAddress_->value(); ++a) {
    options.addresses.push_back(a);
  }
  if (currentLine_->isChecked()) {
    const TProgramLink& link = form_.Engine().ProgramLink();
    options.protocols = {link.protocol};
    options.speeds = {std::stoi(link.SpeedText())};
  }
  return options;
}

void QtFindDialog::Search() {
  TVelaEngine& engine = form_.Engine();
  if (engine.InIecMode()) {
    status_->setText("Поиск идёт по MODBUS: выберите в окне протокол MODBUS RTU или MODBUS ASCII.");
    return;
  }
  if (engine.Busy()) {
    status_->setText("Дождитесь конца операции в окне.");
    return;
  }
  TFindOptions limits = Limits();
  std::vector<TProbePoint> order = SearchOrderFor(rs485_, limits);
  if (currentLine_->isChecked()) {
    // The frame chosen in the window, too.
    const int frame = engine.ProgramLink().frame;
    std::erase_if(order, [frame](const TProbePoint& p) { return p.setting.frame != frame; });
  }
  if (order.empty()) {
    status_->setText("Заданные адреса не оставили ни одного варианта.");
    return;
  }
  const TProgramLink saved = engine.ProgramLink();
  searching_ = true;
  cancelled_ = false;
  found_.clear();
  results_->clear();
  progress_->setRange(0, static_cast<int>(order.size()));
  progress_->setValue(0);
  status_->setText("Поиск…");
  FollowState();
  cancel_->setFocus();

  TSearchHooks hooks;
  hooks.runUntil = [](const std::function<bool()>& done, int ms) { RunEventsUntil(done, ms); };
  hooks.settle = [] { QCoreApplication::processEvents(); };
  hooks.stop = [this] { return cancelled_ || !isVisible(); };
  TDeviceSearch search(engine, std::move(order), rs485_, limits, hooks);
  search.OnFinding = [this](const TSearchFinding& finding) { ShowFinding(finding); };
  search.OnProgress = [this](size_t done, size_t total, int found) {
    progress_->setValue(static_cast<int>(done));
    status_->setText(
        QString("проверено %1 из %2, найдено приборов: %3").arg(done).arg(total).arg(found));
  };
  const TSearchEnd end = search.Run();
  if (rs485_) {
    // The window's own connection again until a device is chosen.
    engine.SetProgramProtocol(saved.protocol);
    engine.SetProgramSpeed(saved.speedIndex);
    engine.SetProgramFrame(saved.frame);
    engine.SetProgramAddress(saved.address);
  }
  searching_ = false;
  QString summary;
  switch (end) {
    case TSearchEnd::PortFailed:
      summary = "Порт " + Q(saved.port) + " не открывается: " + Q(search.PortFailure());
      break;
    case TSearchEnd::Stopped:
      summary = QString("Поиск прерван: проверено %1 из %2, найдено приборов: %3.")
                    .arg(search.Done())
                    .arg(search.Total())
                    .arg(search.Found());
      break;
    case TSearchEnd::Completed:
      summary = search.Found() > 0
                    ? QString("Поиск закончен: проверено %1 из %2, найдено приборов: %3.")
                          .arg(search.Done())
                          .arg(search.Total())
                          .arg(search.Found())
                    : QString(
                          "Прибор Vela не найден. Проверьте подключение линии RS-485 (A, B), "
                          "питание прибора и порт; через интерфейс USB прибор всегда отвечает с "
                          "заводскими настройками.");
      break;
  }
  status_->setText(summary);
  // The last probe's own lines say nothing about the search as a whole.
  engine.ActivityLog().Clear();
  engine.Log(summary.toStdString());
  for (int row = 0; row < results_->count(); ++row) {
    if (results_->item(row)->data(Qt::UserRole).toInt() != kNotChoosable) {
      results_->setCurrentRow(row);
      break;
    }
  }
  FollowState();
  if (connectWhenStopped_) {
    connectWhenStopped_ = false;
    ConnectChosen();
  } else if (!found_.empty()) {
    connect_->setFocus();
  }
}

void QtFindDialog::ShowFinding(const TSearchFinding& finding) {
  const TProbePoint& p = finding.point;
  const QString where = QString("адрес %1, %2, %3, %4")
                            .arg(p.address)
                            .arg(Q(finding.protocolText))
                            .arg(p.setting.baud)
                            .arg(Q(finding.frameText));
  QString text;
  int index = kNotChoosable;
  switch (finding.kind) {
    case TFindingKind::Vela:
      index = static_cast<int>(found_.size());
      found_.push_back(finding);
      text =
          "Vela: " + where + QString(", серийный номер %1").arg(finding.serial, 6, 10, QChar('0'));
      break;
    case TFindingKind::OtherDevice:
      text = where + ": отвечает не Vela: " + Q(finding.detail);
      break;
    case TFindingKind::NoIdentification:
      text = where + ": ответ без идентификации (старое ПО или помеха на линии)";
      break;
    case TFindingKind::SpeedSkipped:
      text = QString("скорость %1 пропущена: порт её не устанавливает (%2)")
                 .arg(p.setting.baud)
                 .arg(Q(finding.detail));
      break;
  }
  auto* item = new QListWidgetItem(text, results_);
  item->setData(Qt::UserRole, index);
  if (index == kNotChoosable) item->setFlags(Qt::ItemIsEnabled);
}

void QtFindDialog::Cancel() {
  if (searching_) {
    cancelled_ = true;
  } else {
    reject();
  }
}

void QtFindDialog::ConnectChosen() {
  const QListWidgetItem* item = results_->currentItem();
  const int index = item ? item->data(Qt::UserRole).toInt() : kNotChoosable;
  if (index == kNotChoosable) return;
  if (searching_) {
    // The search ends first; the choice is taken once it has.
    connectWhenStopped_ = true;
    cancelled_ = true;
    return;
  }
  const TSearchFinding& f = found_.at(static_cast<size_t>(index));
  if (rs485_) {
    form_.ComboBox2.Choose(f.point.setting.protocol);
    form_.ComboBox3.Choose(IndexOfText(kProgramSpeeds, std::to_string(f.point.setting.baud)));
    form_.ComboBox4.Choose(f.point.setting.frame);
    form_.cbAddr.Choose(f.point.address - 1);
  }
  const TProgramLink& link = form_.Engine().ProgramLink();
  form_.Engine().Log(FoundLine(link.port, f.protocolText, f.point.setting.baud, f.frameText,
                               f.point.address, f.serial));
  accept();
}

void QtFindDialog::FollowState() {
  start_->setEnabled(!searching_);
  const QListWidgetItem* item = results_->currentItem();
  connect_->setEnabled(item && item->data(Qt::UserRole).toInt() != kNotChoosable);
  cancel_->setText(searching_ ? "Отмена" : "Закрыть");
  firstAddress_->setEnabled(rs485_ && !searching_);
  lastAddress_->setEnabled(rs485_ && !searching_);
  currentLine_->setEnabled(rs485_ && !searching_);
}

}  // namespace vela
