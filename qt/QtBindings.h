#pragma once
// Binds each toolkit-neutral control to its Qt widget in both directions: a
// change of the control shows in the widget, the user's action on the widget
// reaches the control as a click or a choice. Programmatic changes never come
// back as user actions.

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include "qt/QtDialogs.h"
#include "ui/Button.h"
#include "ui/ComboBox.h"
#include "ui/Image.h"
#include "ui/TextControls.h"
#include "ui/Toggles.h"

namespace vela {

void Bind(TButton& control, QPushButton& widget);
// A button with a glyph: the bitmap of the control's glyph name.
void Bind(TBitBtn& control, QPushButton& widget, const QtBitmaps& bitmaps);
void Bind(TComboBox& control, QComboBox& widget);
void Bind(TEdit& control, QLineEdit& widget);
void Bind(TMemo& control, QPlainTextEdit& widget);
void Bind(TCheckBox& control, QCheckBox& widget);
void Bind(TRadioButton& control, QRadioButton& widget);
void Bind(TGroupBox& control, QGroupBox& widget);

// Shows a TImage's canvas picture and passes mouse moves and clicks to it.
class ImageWidget : public QWidget {
 public:
  ImageWidget(TImage& image, QWidget* parent);
  ~ImageWidget() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;

 private:
  TImage& image_;
  int changedId_ = 0;
};

// The common properties: enabled, visible, hint and, when the control has a
// width, its geometry.
void ApplyCommon(const TControl& control, QWidget& widget);

}  // namespace vela
