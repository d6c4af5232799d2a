#pragma once
// The modal dialog of the IEC 60870-5-101 options, in device mode (the
// device's working interface) or connection mode (the program's own link).
// Created once and kept; Show loads it for a mode and runs it.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <exception>
#include <functional>

#include "qt/IecCfgModel.h"

namespace vela {

class QtIecOptionsDialog : public QDialog {
 public:
  explicit QtIecOptionsDialog(QWidget* parent = nullptr);

  // Loads the controls for mode and runs the dialog; true when confirmed
  // (also when storing then failed: the failure goes to OnStoreFailed).
  bool Show(TIecCfgMode mode);
  // Loads the controls for mode without running the dialog (for pictures).
  void Load(TIecCfgMode mode);
  // Where a failure to store the confirmed values goes (the activity log).
  std::function<void(const std::exception&)> OnStoreFailed;

  QComboBox& CommonAddressBox() { return *commonAddress_; }
  QLineEdit& IntervalEdit() { return *interval_; }
  QCheckBox& CyclicBox() { return *cyclic_; }
  QPushButton& OkButton() { return *ok_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QComboBox* AddRow(int row, const char* label, const QStringList& items,
                    QLabel** caption = nullptr);
  void Confirm();
  void FollowCyclic();
  TIecCfgView ReadControls() const;

  TIecCfgMode mode_ = TIecCfgMode::Device;
  QComboBox* commonAddress_;
  QComboBox* linkLength_;
  QComboBox* commonLength_;
  QComboBox* cotLength_;
  QComboBox* ioaLength_;
  QCheckBox* cyclic_;
  QLabel* intervalLabel_;
  QLineEdit* interval_;
  QLabel* asduLabel_;
  QComboBox* asduFormat_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace vela
