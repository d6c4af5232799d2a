#include "qt/QtIecOptionsDialog.h"

#include <QKeyEvent>
#include <QLineEdit>

#include "qt/QtCanvas.h"

namespace vela {
namespace {

constexpr int kRowTop = 12;
constexpr int kRowStep = 33;
constexpr int kLabelLeft = 16;
constexpr int kLabelWidth = 262;
constexpr int kFieldLeft = 284;
constexpr int kFieldWidth = 119;
constexpr int kRowHeight = 26;

void SelectText(QComboBox& box, int value) {
  box.setCurrentIndex(box.findText(QString::number(value)));
}

int SelectedValue(const QComboBox& box) {
  return box.currentText().toInt();
}

}  // namespace

QtIecOptionsDialog::QtIecOptionsDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Настройки протокола ГОСТ Р МЭК 60870-5-101");
  setFont(WindowFont());
  QStringList addresses;
  addresses.reserve(kIecCfgMaxCommonAddress);
  for (int a = 1; a <= kIecCfgMaxCommonAddress; ++a) addresses << QString::number(a);
  commonAddress_ = AddRow(0, "общий адрес ASDU:", addresses);
  commonAddress_->setEditable(true);
  commonAddress_->setInsertPolicy(QComboBox::NoInsert);
  commonAddress_->lineEdit()->installEventFilter(this);
  connect(commonAddress_, &QComboBox::editTextChanged, this, [this](const QString& text) {
    const QString checked = QString::fromStdString(IecCommonAddressText(text.toStdString()));
    if (checked != text) commonAddress_->setEditText(checked);
  });
  linkLength_ = AddRow(1, "адрес канального уровня, байт:", {"0", "1", "2"});
  commonLength_ = AddRow(2, "общий адрес ASDU, байт:", {"1", "2"});
  cotLength_ = AddRow(3, "причина передачи ASDU, байт:", {"1", "2"});
  ioaLength_ = AddRow(4, "адрес объекта информации, байт:", {"1", "2", "3"});
  cyclic_ = new QCheckBox("циклическая передача данных", this);
  cyclic_->setGeometry(kLabelLeft, kRowTop + 5 * kRowStep, kLabelWidth + kFieldWidth, kRowHeight);
  connect(cyclic_, &QCheckBox::toggled, this, [this] { FollowCyclic(); });
  intervalLabel_ = new QLabel("интервал циклической передачи:", this);
  intervalLabel_->setGeometry(kLabelLeft, kRowTop + 6 * kRowStep, kLabelWidth, kRowHeight);
  interval_ = new QLineEdit(this);
  interval_->setGeometry(kFieldLeft, kRowTop + 6 * kRowStep, kFieldWidth, kRowHeight);
  asduFormat_ =
      AddRow(7, "формат данных (ASDU):", {"<13> - M_ME_NC_1", "<14> - M_ME_TC_1"}, &asduLabel_);
  asduFormat_->setGeometry(kFieldLeft - 84, kRowTop + 7 * kRowStep, kFieldWidth + 84, kRowHeight);
  ok_ = new QPushButton("OK", this);
  ok_->setDefault(true);
  cancel_ = new QPushButton("Отмена", this);
  connect(ok_, &QPushButton::clicked, this, [this] { Confirm(); });
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  Load(TIecCfgMode::Device);
}

QComboBox* QtIecOptionsDialog::AddRow(int row, const char* label, const QStringList& items,
                                      QLabel** captionOut) {
  auto* caption = new QLabel(label, this);
  if (captionOut) *captionOut = caption;
  caption->setGeometry(kLabelLeft, kRowTop + row * kRowStep, kLabelWidth, kRowHeight);
  auto* box = new QComboBox(this);
  box->addItems(items);
  box->setGeometry(kFieldLeft, kRowTop + row * kRowStep, kFieldWidth, kRowHeight);
  return box;
}

void QtIecOptionsDialog::Load(TIecCfgMode mode) {
  mode_ = mode;
  const TIecCfgView view = LoadIecCfg(mode);
  SelectText(*linkLength_, view.linkAddressLength);
  SelectText(*commonLength_, view.commonAddressLength);
  SelectText(*cotLength_, view.cotLength);
  SelectText(*ioaLength_, view.ioaLength);
  commonAddress_->setEditText(QString::fromStdString(view.commonAddress));
  asduFormat_->setCurrentIndex(view.asduFormatIndex);
  cyclic_->setChecked(view.cyclic);
  cyclic_->setEnabled(view.cyclicEnabled);
  interval_->setText(QString::fromStdString(view.interval));
  for (QWidget* row : {static_cast<QWidget*>(intervalLabel_), static_cast<QWidget*>(interval_),
                       static_cast<QWidget*>(asduLabel_), static_cast<QWidget*>(asduFormat_)}) {
    row->setVisible(view.deviceRowsVisible);
  }
  FollowCyclic();
  const int buttonWidth = 100;
  ok_->setGeometry(kIecCfgClientWidth / 2 - buttonWidth - 8, view.buttonsTop, buttonWidth, 28);
  cancel_->setGeometry(kIecCfgClientWidth / 2 + 8, view.buttonsTop, buttonWidth, 28);
  // The heights are those of the whole window; the client area lies inside.
  setFixedSize(kIecCfgClientWidth, view.formHeight - 34);
}

bool QtIecOptionsDialog::Show(TIecCfgMode mode) {
  Load(mode);
  return exec() == QDialog::Accepted;
}

void QtIecOptionsDialog::FollowCyclic() {
  intervalLabel_->setEnabled(cyclic_->isChecked());
  interval_->setEnabled(cyclic_->isChecked());
}

TIecCfgView QtIecOptionsDialog::ReadControls() const {
  TIecCfgView view;
  view.commonAddress = commonAddress_->currentText().toStdString();
  view.linkAddressLength = SelectedValue(*linkLength_);
  view.commonAddressLength = SelectedValue(*commonLength_);
  view.cotLength = SelectedValue(*cotLength_);
  view.ioaLength = SelectedValue(*ioaLength_);
  view.cyclic = cyclic_->isChecked();
  view.interval = interval_->text().toStdString();
  view.asduFormatIndex = asduFormat_->currentIndex();
  return view;
}

void QtIecOptionsDialog::Confirm() {
  // The dialog counts as confirmed even when storing fails.
  setResult(QDialog::Accepted);
  TIecCfgView view = ReadControls();
  try {
    StoreIecCfg(mode_, view);
  } catch (const std::exception& e) {
    interval_->setText(QString::fromStdString(view.interval));
    if (OnStoreFailed) OnStoreFailed(e);
  }
  accept();
}

bool QtIecOptionsDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched != commonAddress_->lineEdit() || event->type() != QEvent::KeyPress) return false;
  auto* key = static_cast<QKeyEvent*>(event);
  const QString text = key->text();
  const bool typed = key->key() == Qt::Key_Backspace || (!text.isEmpty() && text[0].isPrint());
  if (!typed) return false;  // Delete, arrows, Enter keep their meaning
  const char ch = text.isEmpty() ? '\b' : text[0].toLatin1();
  commonAddress_->lineEdit()->insert(QString(QChar(IecCommonAddressKey(ch))));
  return true;
}

}  // namespace vela
