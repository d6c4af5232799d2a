#pragma once
// The port box: its list shows each port with its product and device
// ("COM33 — FT232R USB UART (ttyUSB0)"), as wide as the longest item needs;
// the closed box, narrower, shows the port's name alone, so nothing is cut.

#include <QComboBox>

namespace vela {

class QtPortComboBox : public QComboBox {
 public:
  using QComboBox::QComboBox;

  // The width the list needs to show every item whole.
  int ListWidth() const;
  void showPopup() override;

 protected:
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace vela
