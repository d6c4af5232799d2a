#pragma once
// The modal dialog of the IEC 60870-5-101 options, in device mode (the
// device's working interface) or connection mode (the program's own link).
// Created once and kept. It binds its widgets to TIecCfgForm, which decides
// what they show and what OK stores.

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <exception>
#include <functional>

#include "iec101/IecCfgForm.h"
#include "iec101/IecOptionsDialog.h"
#include "qt/QtDialogs.h"
#include "ui/Dialogs.h"

namespace vela {

// Window geometry of both modes: connection mode has the answer time row
// instead of the interval and ASDU format rows, and three rows more below
// them (staleness, interrogation period, link address).
constexpr int kIecCfgClientWidth = 419;
constexpr int kIecCfgDeviceButtonsTop = 280;
constexpr int kIecCfgDeviceFormHeight = 347;
constexpr int kIecCfgConnectionButtonsTop = 338;
constexpr int kIecCfgConnectionFormHeight = 405;
// Title bar and border: 347 high around a client area of 313.
constexpr int kIecCfgFrameHeight = 34;

class QtIecOptionsDialog : public QDialog, public TIecOptionsDialog {
 public:
  // messageBox shows why OK was refused; none: a Qt message box.
  explicit QtIecOptionsDialog(QWidget* parent = nullptr, TMessageBox* messageBox = nullptr);

  // Loads the controls for mode and runs the dialog; true when confirmed
  // (also when storing the interval then failed: that goes to OnStoreFailed).
  bool Execute(TIecOptionsMode mode, TIecOptions& options) override;
  // Loads the controls for mode without running the dialog (for pictures).
  void Load(TIecOptionsMode mode, const TIecOptions& options);
  // Where a failure to store the confirmed values goes (the activity log).
  std::function<void(const std::exception&)> OnStoreFailed;

  QComboBox& CommonAddressBox() { return *commonAddress_; }
  QComboBox& CommonAddressLengthBox() { return *commonLength_; }
  QLineEdit& IntervalEdit() { return *interval_; }
  QLineEdit& AnswerTimeEdit() { return *answerTime_; }
  QComboBox& LinkAddressLengthBox() { return *linkLength_; }
  QLineEdit& LinkAddressEdit() { return *linkAddress_; }
  QLineEdit& StaleAfterEdit() { return *staleAfter_; }
  QLineEdit& InterrogationPeriodEdit() { return *interrogationPeriod_; }
  QCheckBox& CyclicBox() { return *cyclic_; }
  QPushButton& OkButton() { return *ok_; }
  QPushButton& CancelButton() { return *cancel_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QComboBox* AddRow(int row, const char* label, const QStringList& items,
                    QLabel** caption = nullptr);
  QLineEdit* AddEditRow(int row, const char* label, QLabel** caption);
  void Confirm();
  void FollowCyclic();
  void ReadControls();

  TIecCfgForm form_;
  QtMessageBox ownMessageBox_;
  TMessageBox* messageBox_;
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
  QLabel* answerTimeLabel_;
  QLineEdit* answerTime_;
  QLabel* staleAfterLabel_;
  QLineEdit* staleAfter_;
  QLabel* interrogationPeriodLabel_;
  QLineEdit* interrogationPeriod_;
  QLabel* linkAddressLabel_;
  QLineEdit* linkAddress_;
  QPushButton* ok_;
  QPushButton* cancel_;
};

}  // namespace vela
