#include "qt/QtPortComboBox.h"

#include <QAbstractItemView>
#include <QScrollBar>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <algorithm>

namespace vela {

int QtPortComboBox::ListWidth() const {
  const QFontMetrics metrics(view()->font());
  int widest = 0;
  for (int i = 0; i < count(); ++i)
    widest = std::max(widest, metrics.horizontalAdvance(itemText(i)));
  // The item's own margins and a scroll bar when the list is long.
  const int frame = 2 * view()->frameWidth() + 4 * metrics.averageCharWidth();
  return std::max(width(), widest + frame + view()->verticalScrollBar()->sizeHint().width());
}

void QtPortComboBox::showPopup() {
  view()->setMinimumWidth(ListWidth());
  QComboBox::showPopup();
}

void QtPortComboBox::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionComboBox option;
  initStyleOption(&option);
  option.currentText = option.currentText.section(' ', 0, 0);  // the port's name
  painter.drawComplexControl(QStyle::CC_ComboBox, option);
  painter.drawControl(QStyle::CE_ComboBoxLabel, option);
}

}  // namespace vela
