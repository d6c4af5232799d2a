#pragma once
// "найти прибор…": the search for Vela devices on the window's port, with a
// progress bar, Cancel and the devices found; choosing one sets the
// window's connection to it. The search is the command line's (TDeviceSearch).

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSpinBox>
#include <vector>

#include "app/DeviceSearch.h"
#include "app/MainForm.h"

namespace vela {

class QtFindDialog : public QDialog {
 public:
  QtFindDialog(TForm1& form, QWidget* parent);

  // Shows the dialog for the window's port and interface; true when a
  // device was chosen and the connection set to it.
  bool Execute();

  QSpinBox& FirstAddress() { return *firstAddress_; }
  QSpinBox& LastAddress() { return *lastAddress_; }
  QCheckBox& CurrentLineOnly() { return *currentLine_; }
  QPushButton& StartButton() { return *start_; }
  QPushButton& CancelButton() { return *cancel_; }
  QPushButton& ConnectButton() { return *connect_; }
  QListWidget& Results() { return *results_; }
  QProgressBar& Progress() { return *progress_; }
  bool Searching() const { return searching_; }

 private:
  void Search();
  void Cancel();
  void ConnectChosen();
  TFindOptions Limits() const;
  void ShowFinding(const TSearchFinding& finding);
  void FollowState();

  TForm1& form_;
  bool rs485_ = false;
  bool searching_ = false;
  bool cancelled_ = false;
  bool connectWhenStopped_ = false;
  std::vector<TSearchFinding> found_;
  QLabel* where_;
  QSpinBox* firstAddress_;
  QSpinBox* lastAddress_;
  QCheckBox* currentLine_;
  QProgressBar* progress_;
  QLabel* status_;
  QListWidget* results_;
  QPushButton* start_;
  QPushButton* connect_;
  QPushButton* cancel_;
};

}  // namespace vela
