#include "qt/QtBindings.h"

#include <QMouseEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QSignalBlocker>

#include "qt/QtCanvas.h"
#include "qt/QtFocusKeeper.h"

namespace vela {
namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

// Hints use "\r\n" line breaks; Qt wants "\n".
QString HintText(const std::string& hint) {
  QString text = Q(hint);
  text.replace("\r\n", "\n");
  return text;
}

template <typename Control, typename Widget, typename Apply>
void Follow(Control& control, Widget& widget, Apply apply) {
  auto update = [&control, &widget, apply](TControl&) {
    const QSignalBlocker block(&widget);
    ApplyCommon(control, widget);
    apply(control, widget);
  };
  const int id = control.OnChanged.Add(update);
  // The window may go before the form: the control then stops following it.
  QObject::connect(&widget, &QObject::destroyed, [&control, id] { control.OnChanged.Remove(id); });
  update(control);
}

}  // namespace

void ApplyCommon(const TControl& control, QWidget& widget) {
  SetEnabledKeepingFocus(widget, control.Enabled());
  widget.setVisible(control.Visible());
  widget.setToolTip(HintText(control.Hint()));
  if (control.Width() > 0 && control.Height() > 0) {
    widget.setGeometry(control.Left(), control.Top(), control.Width(), control.Height());
  } else if (control.Width() > 0) {
    widget.setGeometry(control.Left(), widget.y(), control.Width(), widget.height());
  }
}

void Bind(TButton& control, QPushButton& widget) {
  // Enter presses the focused button, as Space does.
  widget.setAutoDefault(true);
  Follow(control, widget, [](TButton& c, QPushButton& w) { w.setText(Q(c.Caption())); });
  QObject::connect(&widget, &QPushButton::clicked, [&control] { control.Click(); });
}

void Bind(TBitBtn& control, QPushButton& widget, const QtBitmaps& bitmaps) {
  Bind(static_cast<TButton&>(control), widget);
  Follow(control, widget, [&bitmaps](TBitBtn& c, QPushButton& w) {
    w.setIcon(c.Glyph().empty() ? QIcon() : QIcon(bitmaps.Load(c.Glyph())));
  });
}

void Bind(TComboBox& control, QComboBox& widget) {
  Follow(control, widget, [](TComboBox& c, QComboBox& w) {
    QStringList items;
    for (const std::string& item : c.Items()) items << Q(item);
    bool same = w.count() == items.size();
    for (int i = 0; same && i < items.size(); ++i) same = w.itemText(i) == items[i];
    if (!same) {
      w.clear();
      w.addItems(items);
    }
    w.setCurrentIndex(c.ItemIndex());
  });
  QObject::connect(&widget, &QComboBox::activated,
                   [&control](int index) { control.Choose(index); });
}

void Bind(TEdit& control, QLineEdit& widget) {
  Follow(control, widget, [](TEdit& c, QLineEdit& w) {
    w.setText(Q(c.Text()));
    w.setReadOnly(c.ReadOnly());
  });
}

void Bind(TMemo& control, QPlainTextEdit& widget) {
  Follow(control, widget, [](TMemo& c, QPlainTextEdit& w) {
    QString text;
    for (const std::string& line : c.Lines()) {
      if (!text.isEmpty()) text += '\n';
      text += Q(line);
    }
    if (w.toPlainText() != text) {
      w.setPlainText(text);
      w.verticalScrollBar()->setValue(w.verticalScrollBar()->maximum());
    }
    w.setReadOnly(c.ReadOnly());
    const TFontSpec& font = c.Font();
    if (font.name.empty()) {
      w.setFont(QFont());
      w.setAttribute(Qt::WA_SetFont, false);
    } else {
      w.setFont(QtCanvas::MakeFont(font.name, font.size, fsRegular));
    }
  });
}

void Bind(TCheckBox& control, QCheckBox& widget) {
  Follow(control, widget, [](TCheckBox& c, QCheckBox& w) {
    w.setText(Q(c.Caption()));
    w.setChecked(c.Checked());
  });
  QObject::connect(&widget, &QCheckBox::clicked, [&control, &widget] {
    // The control toggles itself; show its state rather than Qt's.
    control.Click();
    const QSignalBlocker block(&widget);
    widget.setChecked(control.Checked());
  });
}

void Bind(TRadioButton& control, QRadioButton& widget) {
  widget.setAutoExclusive(false);  // the control's group decides
  Follow(control, widget, [](TRadioButton& c, QRadioButton& w) {
    w.setText(Q(c.Caption()));
    w.setChecked(c.Checked());
  });
  QObject::connect(&widget, &QRadioButton::clicked, [&control, &widget] {
    control.Click();
    const QSignalBlocker block(&widget);
    widget.setChecked(control.Checked());
  });
}

void Bind(TGroupBox& control, QGroupBox& widget) {
  Follow(control, widget, [](TGroupBox& c, QGroupBox& w) { w.setTitle(Q(c.Caption())); });
}

ImageWidget::ImageWidget(TImage& image, QWidget* parent) : QWidget(parent), image_(image) {
  setMouseTracking(true);
  changedId_ = image_.OnChanged.Add([this](TControl&) {
    ApplyCommon(image_, *this);
    update();
  });
  ApplyCommon(image_, *this);
}

ImageWidget::~ImageWidget() {
  image_.OnChanged.Remove(changedId_);
}

void ImageWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (auto* canvas = dynamic_cast<QtCanvas*>(image_.Canvas())) {
    // A widget larger than the picture shows it enlarged.
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect(), canvas->Image());
  } else {
    painter.fillRect(rect(), Qt::white);
  }
}

void ImageWidget::resizeEvent(QResizeEvent*) {
  // A picture its owner can paint again is drawn anew at the size it is shown
  // (and the screen's pixel ratio), so its text stays sharp when enlarged.
  auto* canvas = dynamic_cast<QtCanvas*>(image_.Canvas());
  if (!canvas || !image_.OnRepaint || width() <= 0) return;
  const double shown = double(width()) / canvas->Image().deviceIndependentSize().width();
  const double scale = shown * devicePixelRatioF();
  if (scale == canvas->Scale()) return;
  canvas->SetScale(scale);
  image_.OnRepaint();
}

void ImageWidget::mouseMoveEvent(QMouseEvent* event) {
  // The pointer in the picture's own pixels, however large it is shown.
  QPointF pos = event->position();
  if (auto* canvas = dynamic_cast<QtCanvas*>(image_.Canvas());
      canvas && width() > 0 && height() > 0) {
    const QSizeF size = canvas->Image().deviceIndependentSize();
    pos.rx() *= size.width() / width();
    pos.ry() *= size.height() / height();
  }
  image_.MouseMove(static_cast<int>(pos.x()), static_cast<int>(pos.y()));
}

void ImageWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) image_.Click();
}

}  // namespace vela
