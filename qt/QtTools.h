#pragma once
// The window's commissioning tools, behind a "сервис" button with a menu in
// the free place of the settings group: find a device, save and apply a
// settings profile, the commissioning report and the phasor diagram. Each
// runs on the engine code the command line uses.

#include <QMenu>
#include <QPushButton>
#include <functional>
#include <memory>
#include <string>

#include "app/MainForm.h"
#include "common/Clock.h"
#include "qt/QtFindDialog.h"
#include "qt/QtMainWindow.h"
#include "qt/QtProfileDialog.h"
#include "ui/Dialogs.h"

namespace vela {

class QtTools {
 public:
  // The save dialog and the message box are the window's own.
  QtTools(TForm1& form, QtMainWindow& window, TSaveDialog& saveDialog, TMessageBox& messageBox,
          const Clock& clock);
  ~QtTools();

  QPushButton& Button() { return *button_; }
  QMenu& Menu() { return *menu_; }
  QtFindDialog& FindDialog() { return *findDialog_; }
  QAction& FindAction() { return *find_; }
  QAction& ProfileAction() { return *profile_; }
  QAction& ApplyProfileAction() { return *applyProfile_; }
  QtProfileDialog& ProfileDialog() { return *profileDialog_; }
  QAction& ReportAction() { return *report_; }
  QAction& WiringAction() { return *wiring_; }
  // Opens a file written, in the desktop's program for it.
  std::function<void(const std::string& fileName)> OpenFile;
  // Asks for a profile to apply; true and its name when one is chosen.
  std::function<bool(std::string& fileName)> ChooseProfileFile;

 private:
  void FollowForm();
  void SaveReport();
  void SaveProfile();
  void ApplyProfile();
  // The device's settings after the profile's write, checked against it.
  void ReadBackProfile(const TSettingsProfile& profile, const std::string& fileName,
                       const std::vector<TProfileDifference>& written);
  // Over RS-485 the device now talks with what was written: the window follows.
  bool FollowWrittenLink();
  // Runs an operation of the engine to its end, the window live meanwhile.
  bool RunOperation(TOperationKind kind);

  TForm1& form_;
  QtMainWindow& window_;
  TSaveDialog& saveDialog_;
  TMessageBox& messageBox_;
  const Clock& clock_;
  QPushButton* button_;
  QMenu* menu_;
  QAction* find_;
  QAction* profile_;
  QAction* applyProfile_;
  QAction* report_;
  QAction* wiring_;
  std::unique_ptr<QtFindDialog> findDialog_;
  std::unique_ptr<QtProfileDialog> profileDialog_;
};

}  // namespace vela
