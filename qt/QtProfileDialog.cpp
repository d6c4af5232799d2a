#include "qt/QtProfileDialog.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QVBoxLayout>

#include "qt/QtCanvas.h"

namespace vela {
namespace {

QString Q(const std::string& text) {
  return QString::fromStdString(text);
}

}  // namespace

std::string ShownProfileValue(const std::string& key, const std::string& jsonText) {
  if (key == "network" && (jsonText == "3" || jsonText == "4")) return jsonText + "-проводная";
  if (jsonText == "true") return "да";
  if (jsonText == "false") return "нет";
  if (jsonText.size() >= 2 && jsonText.front() == '"' && jsonText.back() == '"') {
    return jsonText.substr(1, jsonText.size() - 2);
  }
  return jsonText;
}

QtProfileDialog::QtProfileDialog(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Применить профиль");
  setFont(WindowFont());
  setMinimumWidth(560);
  heading_ = new QLabel(this);
  heading_->setWordWrap(true);
  table_ = new QTableWidget(0, 3, this);
  table_->setHorizontalHeaderLabels({"установка", "сейчас в приборе", "в профиле"});
  table_->verticalHeader()->hide();
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->setSelectionMode(QAbstractItemView::NoSelection);
  table_->setFocusPolicy(Qt::NoFocus);
  table_->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
  table_->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
  table_->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
  write_ = new QPushButton("Записать в прибор", this);
  cancel_ = new QPushButton("Отмена", this);
  cancel_->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(write_);
  buttons->addWidget(cancel_);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(heading_);
  layout->addWidget(table_);
  layout->addLayout(buttons);
  QObject::connect(write_, &QPushButton::clicked, this, &QDialog::accept);
  QObject::connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
}

bool QtProfileDialog::Execute(const std::string& fileName,
                              const std::vector<TProfileDifference>& changes) {
  heading_->setText(Q("Профиль " + fileName + ".\nИзменится в приборе (установок: " +
                      std::to_string(changes.size()) + "). Записать?"));
  table_->setRowCount(static_cast<int>(changes.size()));
  for (int row = 0; row < table_->rowCount(); ++row) {
    const TProfileDifference& change = changes[static_cast<size_t>(row)];
    const std::string texts[] = {change.name, ShownProfileValue(change.key, change.device),
                                 ShownProfileValue(change.key, change.profile)};
    for (int column = 0; column < 3; ++column) {
      table_->setItem(row, column, new QTableWidgetItem(Q(texts[column])));
    }
  }
  table_->resizeRowsToContents();
  const int rowsHeight = table_->verticalHeader()->length() + table_->horizontalHeader()->height();
  table_->setFixedHeight(std::min(rowsHeight + 2 * table_->frameWidth(), 360));
  adjustSize();
  cancel_->setFocus();
  return exec() == QDialog::Accepted;
}

}  // namespace vela
