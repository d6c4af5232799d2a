#pragma once
// The dialog seams over Qt: the file-save dialog, the message box, and the
// bitmap resources (the recording button's glyphs) looked up by name.

#include <QPixmap>
#include <QString>
#include <QWidget>
#include <string>

#include "ui/Dialogs.h"

namespace vela {

class QtSaveDialog : public TSaveDialog {
 public:
  explicit QtSaveDialog(QWidget* parent = nullptr) : parent_(parent) {}
  void SetParent(QWidget* parent) { parent_ = parent; }
  bool Execute(const std::string& title, const std::string& filter, const std::string& defaultExt,
               std::string& fileName) override;

 private:
  QWidget* parent_;
};

class QtMessageBox : public TMessageBox {
 public:
  void Show(const std::string& caption, const std::string& text) override;
  bool Ask(const std::string& caption, const std::string& text) override;
};

// "Text files|*.txt|All|*" becomes "Text files (*.txt);;All (*)".
QString QtFileFilter(const std::string& filter);

// The extension a name typed without one gets: "*.csv" and ".csv" give "csv"
// (QFileDialog adds the point itself).
QString QtDefaultSuffix(const std::string& defaultExt);

// "\r\n" line breaks of the program's texts become Qt's "\n".
QString QtText(const std::string& text);

// Bitmap resources by name, from the Qt resource folder ":/glyphs" (or
// another folder, for trying a build without them).
class QtBitmaps {
 public:
  explicit QtBitmaps(QString folder = ":/glyphs") : folder_(std::move(folder)) {}
  bool Has(const std::string& name) const;
  QPixmap Load(const std::string& name) const;

 private:
  QString folder_;
};

}  // namespace vela
