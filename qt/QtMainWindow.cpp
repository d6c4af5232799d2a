#include "qt/QtMainWindow.h"

#include <QResizeEvent>
#include <algorithm>

#include "qt/QtCanvas.h"
#include "qt/QtKeyPreview.h"
#include "qt/QtPortComboBox.h"

namespace vela {
namespace {

// Layout at the design size, in pixels of the client area (800 x 600 at the
// least). Group boxes hold their controls at coordinates of their own.
constexpr int kMargin = 8;
constexpr int kGroupWidth = 784;
constexpr int kRowHeight = 28;
const QRect kInterfaceGroup(kMargin, 2, kGroupWidth, 62);
const QRect kMeasurementGroup(kMargin, 68, kGroupWidth, 284);
const QRect kConfigurationGroup(kMargin, 356, kGroupWidth, 96);
constexpr int kMemoTop = 458;
// Share of the height gained beyond the least that goes to the panel; the
// activity log takes the rest.
constexpr double kPanelHeightShare = 0.5;

// How much the window's extra size enlarges the panel: it scales evenly, as
// far as the width allows and the panel's share of the height.
double PanelScale(int extraWidth, int extraHeight) {
  const double byWidth = double(kPanelWidth + extraWidth) / kPanelWidth;
  const double byHeight = (kPanelHeight + kPanelHeightShare * extraHeight) / kPanelHeight;
  return std::max(1.0, std::min(byWidth, byHeight));
}

}  // namespace

QtMainWindow::QtMainWindow(TForm1& form, const QtBitmaps& bitmaps)
    : QWidget(nullptr), form_(form), bitmaps_(bitmaps) {
  setFont(WindowFont());
  BuildGroups();
  FollowForm();
  keyPreview_ = std::make_unique<QtKeyPreview>(*this, form_);
}

QtMainWindow::~QtMainWindow() {
  form_.OnChanged.Remove(formChangedId_);
}

template <typename Widget, typename Control>
Widget* QtMainWindow::Add(Control& control, QWidget* parent, const QRect& place) {
  // Geometry the logic has chosen (the factory-defaults button) stays.
  if (control.Left() == 0) control.SetLeft(place.x());
  if (control.Width() == 0) control.SetWidth(place.width());
  control.SetTop(place.y());
  control.SetHeight(place.height());
  auto* widget = new Widget(parent);
  Bind(control, *widget);
  widgets_[&control] = widget;
  return widget;
}

QWidget* QtMainWindow::WidgetOf(const TControl& control) const {
  const auto it = widgets_.find(&control);
  return it == widgets_.end() ? nullptr : it->second;
}

void QtMainWindow::BuildGroups() {
  BuildInterfaceGroup();
  BuildMeasurementGroup();
  BuildConfigurationGroup();
  Add<QPlainTextEdit>(
      form_.Memo1, this,
      QRect(kMargin, kMemoTop, kGroupWidth, TForm1::kMinFormHeight - kMemoTop - kMargin));
}

void QtMainWindow::BuildInterfaceGroup() {
  auto* group = Add<QGroupBox>(form_.GroupBox1, this, kInterfaceGroup);
  const int y = 26;
  Add<QComboBox>(form_.cbInterfaceType, group, QRect(10, y, 230, kRowHeight));
  Add<QtPortComboBox>(form_.cbComPort, group, QRect(248, y, 96, kRowHeight));
  Add<QComboBox>(form_.ComboBox2, group, QRect(352, y, 164, kRowHeight));
  Add<QComboBox>(form_.ComboBox3, group, QRect(524, y, 90, kRowHeight));
  Add<QComboBox>(form_.ComboBox4, group, QRect(622, y, 66, kRowHeight));
  Add<QComboBox>(form_.cbAddr, group, QRect(696, y, 76, kRowHeight));
}

void QtMainWindow::BuildMeasurementGroup() {
  auto* group = Add<QGroupBox>(form_.GroupBox2, this, kMeasurementGroup);
  form_.Image1.SetLeft(12);
  form_.Image1.SetTop(24);
  image_ = new ImageWidget(form_.Image1, group);
  widgets_[&form_.Image1] = image_;
  const int row1 = 24 + 185 + 8;
  const int row2 = row1 + kRowHeight + 6;
  Add<QPushButton>(form_.Button4, group, QRect(12, row1, 220, kRowHeight));
  Add<QPushButton>(form_.Button5, group, QRect(240, row1, 220, kRowHeight));
  auto* record = new QPushButton(group);
  form_.BitBtn1.SetLeft(468);
  form_.BitBtn1.SetTop(row1);
  form_.BitBtn1.SetWidth(304);
  form_.BitBtn1.SetHeight(kRowHeight);
  Bind(form_.BitBtn1, *record, bitmaps_);
  widgets_[&form_.BitBtn1] = record;
  Add<QPushButton>(form_.Button1, group, QRect(12, row2, 220, kRowHeight));
  Add<QLineEdit>(form_.edTime, group, QRect(240, row2, 220, kRowHeight));
  Add<QPushButton>(form_.btnVerify, group, QRect(652, row2, 120, kRowHeight));
  Add<QPushButton>(form_.btnWiring, group, QRect(468, row2, 176, kRowHeight));
  wiringWindow_ = new QtWiringWindow(*form_.FWiringView, this);
  for (TControl* below :
       {static_cast<TControl*>(&form_.Button4), static_cast<TControl*>(&form_.Button5),
        static_cast<TControl*>(&form_.BitBtn1), static_cast<TControl*>(&form_.Button1),
        static_cast<TControl*>(&form_.edTime), static_cast<TControl*>(&form_.btnVerify),
        static_cast<TControl*>(&form_.btnWiring)}) {
    belowPanel_.emplace_back(below, below->Top());
  }
}

void QtMainWindow::BuildConfigurationGroup() {
  auto* group = Add<QGroupBox>(form_.GroupBox3, this, kConfigurationGroup);
  const int row1 = 24;
  const int row2 = row1 + kRowHeight + 6;
  Add<QComboBox>(form_.cbProtocolType, group, QRect(12, row1, 164, kRowHeight));
  Add<QComboBox>(form_.cbSpeed, group, QRect(182, row1, 90, kRowHeight));
  Add<QComboBox>(form_.cbFrame, group, QRect(278, row1, 66, kRowHeight));
  Add<QComboBox>(form_.cbAddress, group, QRect(350, row1, 70, kRowHeight));
  Add<QRadioButton>(form_.rb3w, group, QRect(434, row1, 168, kRowHeight));
  Add<QRadioButton>(form_.rb4w, group, QRect(604, row1, 168, kRowHeight));
  Add<QPushButton>(form_.Button7, group, QRect(12, row2, 120, kRowHeight));
  Add<QPushButton>(form_.Button3, group, QRect(138, row2, 120, kRowHeight));
  Add<QPushButton>(form_.btnIecCfg, group, QRect(264, row2, 100, kRowHeight));
  Add<QComboBox>(form_.ComboBox1, group, QRect(519, row2, 76, kRowHeight));
  Add<QPushButton>(form_.Button8, group, QRect(519, row2, 250, kRowHeight));
}

void QtMainWindow::FollowForm() {
  const auto update = [this](TControl&) {
    setWindowTitle(QString::fromStdString(form_.Caption()));
    if (form_.CloseRequested()) close();
  };
  formChangedId_ = form_.OnChanged.Add(update);
  update(form_);
  // The window's size rule, as Qt constraints: the least size.
  int width = 0, height = 0;
  form_.FormCanResize(width, height);
  setMinimumSize(width, height);
  resize(width, std::max(height, form_.Height()));
  move(form_.Left(), form_.Top());
}

void QtMainWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ApplySizeRule();
}

void QtMainWindow::ApplySizeRule() {
  int width = this->width(), height = this->height();
  form_.FormCanResize(width, height);
  if (width != this->width() || height != this->height()) resize(width, height);
  FitToSize(width, height);
}

void QtMainWindow::FitToSize(int width, int height) {
  // The groups and the log widen with the window; the panel grows evenly and
  // pushes what lies below it down; the log takes the height that remains.
  // Controls keep their places inside their groups.
  const int extraWidth = width - TForm1::kFormWidth;
  const int groupWidth = kGroupWidth + extraWidth;
  const double scale = PanelScale(extraWidth, height - TForm1::kMinFormHeight);
  const int panelWidth = static_cast<int>(kPanelWidth * scale + 0.5);
  const int panelHeight = static_cast<int>(kPanelHeight * scale + 0.5);
  const int grown = panelHeight - kPanelHeight;
  form_.GroupBox1.SetWidth(groupWidth);
  form_.GroupBox2.SetWidth(groupWidth);
  form_.GroupBox2.SetHeight(kMeasurementGroup.height() + grown);
  form_.Image1.SetLeft(12 + (groupWidth - 2 * 12 - panelWidth) / 2);
  form_.Image1.SetWidth(panelWidth);
  form_.Image1.SetHeight(panelHeight);
  for (const auto& [control, top] : belowPanel_) control->SetTop(top + grown);
  form_.GroupBox3.SetTop(kConfigurationGroup.y() + grown);
  form_.GroupBox3.SetWidth(groupWidth);
  form_.Memo1.SetTop(kMemoTop + grown);
  form_.Memo1.SetWidth(groupWidth);
  form_.Memo1.SetHeight(height - kMemoTop - grown - kMargin);
}

}  // namespace vela
