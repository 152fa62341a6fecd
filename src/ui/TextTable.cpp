#include "ui/TextTable.h"

#include <QAbstractTableModel>
#include <QHeaderView>

class TextTableModel final : public QAbstractTableModel {
public:
  using QAbstractTableModel::QAbstractTableModel;

  int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(rows_.size()); }
  int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : int(headings_.size()); }

  QVariant data(const QModelIndex& index, int role) const override {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) return text(index.row(), index.column());
    if (role == Qt::TextAlignmentRole) {
      return QVariant::fromValue(Qt::AlignVCenter | (right_.contains(index.column()) ? Qt::AlignRight : Qt::AlignLeft));
    }
    return {};
  }

  QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < headings_.size()) {
      return headings_[section];
    }
    return QAbstractTableModel::headerData(section, orientation, role);
  }

  QString text(int row, int col) const {
    if (row < 0 || row >= rows_.size()) return {};
    const QStringList& r = rows_[row];
    return col >= 0 && col < r.size() ? r[col] : QString();
  }

  void setHeadings(const QStringList& headings) {
    beginResetModel();
    headings_ = headings;
    endResetModel();
  }
  void setRows(QList<QStringList> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
  }
  void setRight(int col, bool right) {
    if (right) right_.insert(col);
    else right_.remove(col);
    if (!rows_.isEmpty()) emit dataChanged(index(0, col), index(int(rows_.size()) - 1, col), {Qt::TextAlignmentRole});
  }
  const QString& heading(int col) const { return headings_[col]; }

private:
  QStringList headings_;
  QList<QStringList> rows_;
  QSet<int> right_;
};

TextTable::TextTable(QWidget* parent) : QTableView(parent), model_(new TextTableModel(this)) {
  setModel(model_);
  verticalHeader()->setVisible(false);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
}

void TextTable::setHeadings(const QString& barSeparated) { model_->setHeadings(barSeparated.split(QLatin1Char('|'))); }

void TextTable::setColRightAligned(int col, bool right) { model_->setRight(col, right); }

void TextTable::setDataRows(QList<QStringList> rows) { model_->setRows(std::move(rows)); }

int TextTable::cols() const { return model_->columnCount(); }

int TextTable::rows() const { return model_->rowCount() + 1; }

QString TextTable::textMatrix(int row, int col) const {
  if (row == 0) return col >= 0 && col < cols() ? model_->heading(col) : QString();
  return model_->text(row - 1, col);
}

void TextTable::fitColumnWidths() {
  for (int c = 0; c < cols(); ++c) resizeColumnToContents(c);
}
