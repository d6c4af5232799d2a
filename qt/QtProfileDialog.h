#pragma once
// The question before a profile is written: a table of the settings that
// change (setting, now in the device, from the profile), "записать" and
// "отмена". Cancel is the default, as for every question before a write.

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <string>
#include <vector>

#include "app/commission/SettingsProfile.h"

namespace vela {

class QtProfileDialog : public QDialog {
 public:
  explicit QtProfileDialog(QWidget* parent);

  // Shows the changes of the profile file; true when the operator confirms.
  bool Execute(const std::string& fileName, const std::vector<TProfileDifference>& changes);

  QTableWidget& Table() { return *table_; }
  QPushButton& WriteButton() { return *write_; }
  QPushButton& CancelButton() { return *cancel_; }

 private:
  QLabel* heading_;
  QTableWidget* table_;
  QPushButton* write_;
  QPushButton* cancel_;
};

// A setting's value as the profile writes it, for a person: "MODBUS RTU"
// without the quotes of its JSON text, "3-проводная" for the network 3,
// "да" and "нет" for true and false.
std::string ShownProfileValue(const std::string& key, const std::string& jsonText);

}  // namespace vela
