#include "qt/QtDialogs.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QStringList>

namespace vela {

QString QtText(const std::string& text) {
  QString result = QString::fromStdString(text);
  result.replace("\r\n", "\n");
  return result;
}

QString QtFileFilter(const std::string& filter) {
  const QStringList parts = QString::fromStdString(filter).split('|');
  QStringList filters;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    const QString patterns = "(" + QString(parts[i + 1]).replace(';', ' ') + ")";
    // A description that shows its patterns already keeps them once.
    filters << (parts[i].endsWith(patterns) ? parts[i] : parts[i] + " " + patterns);
  }
  return filters.join(";;");
}

QString QtDefaultSuffix(const std::string& defaultExt) {
  QString suffix = QString::fromStdString(defaultExt);
  while (suffix.startsWith('*') || suffix.startsWith('.')) suffix.remove(0, 1);
  return suffix;
}

bool QtSaveDialog::Execute(const std::string& title, const std::string& filter,
                           const std::string& defaultExt, std::string& fileName) {
  QFileDialog dialog(parent_, QString::fromStdString(title), QString::fromStdString(fileName),
                     QtFileFilter(filter));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  const QString suffix = QtDefaultSuffix(defaultExt);
  if (!suffix.isEmpty()) dialog.setDefaultSuffix(suffix);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return false;
  fileName = dialog.selectedFiles().first().toStdString();
  return true;
}

void QtMessageBox::Show(const std::string& caption, const std::string& text) {
  QMessageBox box(QMessageBox::Critical, QString::fromStdString(caption), QtText(text),
                  QMessageBox::Ok);
  box.exec();
}

bool QtMessageBox::Ask(const std::string& caption, const std::string& text) {
  QMessageBox box(QMessageBox::Question, QString::fromStdString(caption), QtText(text),
                  QMessageBox::Yes | QMessageBox::No);
  box.button(QMessageBox::Yes)->setText(QStringLiteral("Да"));
  box.button(QMessageBox::No)->setText(QStringLiteral("Нет"));
  box.setDefaultButton(QMessageBox::No);
  return box.exec() == QMessageBox::Yes;
}

bool QtBitmaps::Has(const std::string& name) const {
  return QFile::exists(folder_ + '/' + QString::fromStdString(name));
}

QPixmap QtBitmaps::Load(const std::string& name) const {
  return QPixmap(folder_ + '/' + QString::fromStdString(name));
}

}  // namespace vela
