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
constexpr int kButtonWidth = 100;
constexpr int kButtonHeight = 28;

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

void SelectText(QComboBox& box, int value) {
  box.setCurrentIndex(box.findText(QString::number(value)));
}

int SelectedValue(const QComboBox& box) {
  return box.currentIndex() < 0 ? TIecCfgView::kNotListed : box.currentText().toInt();
}

// The character a key event types, as the common address box sees it;
// backspace counts as a typed character.
bool TypedCharacters(const QKeyEvent& key, std::string& typed) {
  if (key.key() == Qt::Key_Backspace) {
    typed = "\b";
    return true;
  }
  const QString text = key.text();
  if (text.isEmpty() || !text[0].isPrint()) return false;  // Delete, arrows, Enter, Ctrl+...
  typed.clear();
  for (QChar c : text) typed += c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '?';
  return true;
}

}  // namespace

QtIecOptionsDialog::QtIecOptionsDialog(QWidget* parent, TMessageBox* messageBox)
    : QDialog(parent), messageBox_(messageBox ? messageBox : &ownMessageBox_) {
  setWindowTitle("Настройки протокола ГОСТ Р МЭК 60870-5-101");
  setFont(WindowFont());
  QStringList addresses;
  addresses.reserve(kIecCfgMaxCommonAddress);
  for (int a = 1; a <= kIecCfgMaxCommonAddress; ++a) addresses << QString::number(a);
  commonAddress_ = AddRow(0, "общий адрес ASDU:", addresses);
  commonAddress_->setEditable(true);
  commonAddress_->setInsertPolicy(QComboBox::NoInsert);
  // The box keeps the keyboard focus and hands keys to its line edit without
  // the line edit's filters seeing them: watch both.
  commonAddress_->installEventFilter(this);
  commonAddress_->lineEdit()->installEventFilter(this);
  connect(commonAddress_, &QComboBox::editTextChanged, this, [this](const QString& text) {
    const QString checked = Q(TIecCfgForm::CommonAddressText(text.toStdString()));
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
  // Connection mode only, where the interval row is in device mode.
  answerTimeLabel_ = new QLabel("время ожидания ответа, мс:", this);
  answerTimeLabel_->setGeometry(kLabelLeft, kRowTop + 6 * kRowStep, kLabelWidth, kRowHeight);
  answerTime_ = new QLineEdit(this);
  answerTime_->setGeometry(kFieldLeft, kRowTop + 6 * kRowStep, kFieldWidth, kRowHeight);
  staleAfter_ = AddEditRow(7, "устаревание величин, с:", &staleAfterLabel_);
  interrogationPeriod_ =
      AddEditRow(8, "период общего опроса, с (0 — нет):", &interrogationPeriodLabel_);
  linkAddress_ = AddEditRow(9, "адрес канального уровня:", &linkAddressLabel_);
  ok_ = new QPushButton("OK", this);
  ok_->setDefault(true);
  cancel_ = new QPushButton("Отмена", this);
  connect(ok_, &QPushButton::clicked, this, [this] { Confirm(); });
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  Load(TIecOptionsMode::Device, TIecOptions());
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

QLineEdit* QtIecOptionsDialog::AddEditRow(int row, const char* label, QLabel** captionOut) {
  *captionOut = new QLabel(label, this);
  (*captionOut)->setGeometry(kLabelLeft, kRowTop + row * kRowStep, kLabelWidth, kRowHeight);
  auto* edit = new QLineEdit(this);
  edit->setGeometry(kFieldLeft, kRowTop + row * kRowStep, kFieldWidth, kRowHeight);
  return edit;
}

void QtIecOptionsDialog::Load(TIecOptionsMode mode, const TIecOptions& options) {
  form_.Load(mode, options);
  const TIecCfgView& view = form_.View();
  SelectText(*linkLength_, view.linkAddressLength);
  SelectText(*commonLength_, view.commonAddressLength);
  SelectText(*cotLength_, view.cotLength);
  SelectText(*ioaLength_, view.ioaLength);
  commonAddress_->setEditText(Q(view.commonAddress));
  asduFormat_->setCurrentIndex(view.asduFormatIndex < asduFormat_->count() ? view.asduFormatIndex
                                                                           : -1);
  cyclic_->setChecked(view.cyclic);
  cyclic_->setEnabled(view.cyclicEnabled);
  interval_->setText(Q(view.interval));
  for (QWidget* row : {static_cast<QWidget*>(intervalLabel_), static_cast<QWidget*>(interval_),
                       static_cast<QWidget*>(asduLabel_), static_cast<QWidget*>(asduFormat_)}) {
    row->setVisible(view.deviceRowsVisible);
  }
  answerTime_->setText(Q(view.answerTime));
  staleAfter_->setText(Q(view.staleAfter));
  interrogationPeriod_->setText(Q(view.interrogationPeriod));
  linkAddress_->setText(Q(view.linkAddress));
  for (QWidget* row :
       {static_cast<QWidget*>(answerTimeLabel_), static_cast<QWidget*>(answerTime_),
        static_cast<QWidget*>(staleAfterLabel_), static_cast<QWidget*>(staleAfter_),
        static_cast<QWidget*>(interrogationPeriodLabel_),
        static_cast<QWidget*>(interrogationPeriod_), static_cast<QWidget*>(linkAddressLabel_),
        static_cast<QWidget*>(linkAddress_)}) {
    row->setVisible(!view.deviceRowsVisible);
  }
  FollowCyclic();
  const bool tall = view.deviceRowsVisible;
  const int buttonsTop = tall ? kIecCfgDeviceButtonsTop : kIecCfgConnectionButtonsTop;
  const int formHeight = tall ? kIecCfgDeviceFormHeight : kIecCfgConnectionFormHeight;
  ok_->setGeometry(kIecCfgClientWidth / 2 - kButtonWidth - 8, buttonsTop, kButtonWidth,
                   kButtonHeight);
  cancel_->setGeometry(kIecCfgClientWidth / 2 + 8, buttonsTop, kButtonWidth, kButtonHeight);
  setFixedSize(kIecCfgClientWidth, formHeight - kIecCfgFrameHeight);
}

bool QtIecOptionsDialog::Execute(TIecOptionsMode mode, TIecOptions& options) {
  Load(mode, options);
  ok_->setFocus();  // Enter confirms, whatever had the focus last time
  if (exec() != QDialog::Accepted) return false;
  options = form_.Options();
  return true;
}

void QtIecOptionsDialog::FollowCyclic() {
  TIecCfgView& view = form_.View();
  view.cyclic = cyclic_->isChecked();
  intervalLabel_->setEnabled(view.IntervalEnabled());
  interval_->setEnabled(view.IntervalEnabled());
}

void QtIecOptionsDialog::ReadControls() {
  TIecCfgView& view = form_.View();
  view.commonAddress = commonAddress_->currentText().toStdString();
  view.linkAddressLength = SelectedValue(*linkLength_);
  view.commonAddressLength = SelectedValue(*commonLength_);
  view.cotLength = SelectedValue(*cotLength_);
  view.ioaLength = SelectedValue(*ioaLength_);
  view.cyclic = cyclic_->isChecked();
  view.interval = interval_->text().toStdString();
  view.asduFormatIndex = asduFormat_->currentIndex();
  view.answerTime = answerTime_->text().toStdString();
  view.staleAfter = staleAfter_->text().toStdString();
  view.interrogationPeriod = interrogationPeriod_->text().toStdString();
  view.linkAddress = linkAddress_->text().toStdString();
}

void QtIecOptionsDialog::Confirm() {
  ReadControls();
  const std::string refusal = form_.Refusal();
  if (!refusal.empty()) {
    // Nothing is stored; the dialog stays open for another address or length.
    messageBox_->Show(windowTitle().toStdString(), refusal);
    if (form_.LinkAddressRefusal() == refusal) {
      linkAddress_->setFocus();
      linkAddress_->selectAll();
    } else {
      commonAddress_->setFocus();
      commonAddress_->lineEdit()->selectAll();
    }
    return;
  }
  const std::string badInterval = form_.IntervalRefusal();
  if (!badInterval.empty()) {
    messageBox_->Show(windowTitle().toStdString(), badInterval);
    interval_->setFocus();
    interval_->selectAll();
    return;
  }
  // The dialog counts as confirmed even when storing the interval fails.
  setResult(QDialog::Accepted);
  try {
    form_.Store();
  } catch (const std::exception& e) {
    interval_->setText(Q(form_.View().interval));
    if (OnStoreFailed) OnStoreFailed(e);
  }
  accept();
}

bool QtIecOptionsDialog::eventFilter(QObject* watched, QEvent* event) {
  const bool addressBox = watched == commonAddress_ || watched == commonAddress_->lineEdit();
  if (!addressBox || event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
  std::string typed;
  if (!TypedCharacters(*static_cast<QKeyEvent*>(event), typed)) return false;
  QString entered;
  for (char c : typed) entered += QChar(TIecCfgForm::CommonAddressKey(c));
  commonAddress_->lineEdit()->insert(entered);
  return true;
}

}  // namespace vela
