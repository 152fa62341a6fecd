#include "ui/LongListGrid.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStyle>
#include <algorithm>

void TextRowsModel::setHeadings(const QStringList& headings) {
  beginResetModel();
  headings_ = headings;
  rows_.clear();
  endResetModel();
}

void TextRowsModel::clear() {
  if (rows_.isEmpty()) return;
  // Rows removed, not the model reset: the columns, their widths and the heading stay as
  // they are, and the view does not measure them again.
  beginRemoveRows({}, 0, static_cast<int>(rows_.size()) - 1);
  rows_.clear();
  endRemoveRows();
}

void TextRowsModel::append(const QList<QStringList>& rows) {
  if (rows.isEmpty()) return;
  const int first = static_cast<int>(rows_.size());
  beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
  rows_ += rows;
  endInsertRows();
}

int TextRowsModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int TextRowsModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(headings_.size());
}

QVariant TextRowsModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole: return text(index.row(), index.column());
    case Qt::TextAlignmentRole: return QVariant::fromValue(Qt::AlignLeft | Qt::AlignVCenter);
    default: return {};
  }
}

QVariant TextRowsModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole) return headings_.value(section);
  return QAbstractTableModel::headerData(section, orientation, role);
}

LongListGrid::LongListGrid(QWidget* parent) : QTableView(parent), model_(this) {
  setModel(&model_);
  verticalHeader()->setVisible(false);
  // Every row one line high: the view never measures rows it does not draw.
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setWordWrap(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { emit currentRowChanged(current.row()); });
}

void LongListGrid::setHeadings(const QStringList& headings) { model_.setHeadings(headings); }

void LongListGrid::setColumnSamples(const QStringList& samples, int stretching) {
  QHeaderView* header = horizontalHeader();
  const QFontMetrics cells = fontMetrics();
  const QFontMetrics headings = header->fontMetrics();
  // The room a cell and a heading leave around their text.
  const int margin = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 8;
  for (int c = 0; c < model_.columnCount(); ++c) {
    const int heading = headings.horizontalAdvance(model_.headerData(c, Qt::Horizontal, Qt::DisplayRole).toString());
    const int sample = cells.horizontalAdvance(samples.value(c));
    header->resizeSection(c, std::max(heading, sample) + margin);
  }
  header->setSectionResizeMode(stretching, QHeaderView::Stretch);
}

QString LongListGrid::textMatrix(int row, int col) const {
  if (row == 0) return model_.headerData(col, Qt::Horizontal, Qt::DisplayRole).toString();
  return model_.text(row - 1, col);
}

void LongListGrid::clearRows() { model_.clear(); }

void LongListGrid::appendRows(const QList<QStringList>& rows) { model_.append(rows); }

int LongListGrid::screenRows() const {
  const int row = std::max(1, verticalHeader()->defaultSectionSize());
  return (viewport()->height() + row - 1) / row;
}
