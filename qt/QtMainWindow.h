#pragma once
// The main window: a Qt widget for every control of TForm1, laid out at the
// design size, each bound to its control in both directions; the panel image
// drawn through the QPainter canvas; the size rule of TForm1::FormCanResize,
// with the panel and the log growing when the window does.
// Keys and hints go through QtKeyPreview.

#include <QWidget>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "app/MainForm.h"
#include "qt/QtBindings.h"
#include "qt/QtDialogs.h"
#include "qt/QtWiringWindow.h"

namespace vela {

class QtKeyPreview;

class QtMainWindow : public QWidget {
 public:
  QtMainWindow(TForm1& form, const QtBitmaps& bitmaps);
  ~QtMainWindow() override;

  TForm1& Form() { return form_; }
  ImageWidget& Image() { return *image_; }
  QtWiringWindow& WiringWindow() { return *wiringWindow_; }
  // The widget bound to a control of the form; null for none.
  QWidget* WidgetOf(const TControl& control) const;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  template <typename Widget, typename Control>
  Widget* Add(Control& control, QWidget* parent, const QRect& place);
  void BuildGroups();
  void BuildInterfaceGroup();
  void BuildMeasurementGroup();
  void BuildConfigurationGroup();
  void FollowForm();
  void ApplySizeRule();
  void FitToSize(int width, int height);

  TForm1& form_;
  const QtBitmaps& bitmaps_;
  std::map<const TControl*, QWidget*> widgets_;
  ImageWidget* image_ = nullptr;
  QtWiringWindow* wiringWindow_ = nullptr;
  std::unique_ptr<QtKeyPreview> keyPreview_;
  int formChangedId_ = 0;
  // The controls under the panel, with their tops at the design size.
  std::vector<std::pair<TControl*, int>> belowPanel_;
};

}  // namespace vela
