#include "ui/DataGrid.h"


#include <QEvent>
#include <QHeaderView>

DataGrid::DataGrid(QWidget* parent) : QTableWidget(parent) {
  verticalHeader()->setVisible(false);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
}

void DataGrid::setCols(int n) { setColumnCount(std::max(0, n)); }

void DataGrid::setRows(int n) { setRowCount(std::max(0, n - 1)); }

void DataGrid::setHeadings(const QStringList& headings) {
  setColumnCount(static_cast<int>(headings.size()));
  setHorizontalHeaderLabels(headings);
}

void DataGrid::setHeadings(const QString& barSeparated) { setHeadings(barSeparated.split(QLatin1Char('|'))); }

QString DataGrid::textMatrix(int row, int col) const {
  const QTableWidgetItem* item = row == 0 ? horizontalHeaderItem(col) : this->item(row - 1, col);
  return item ? item->text() : QString();
}

void DataGrid::setTextMatrix(int row, int col, const QString& text) {
  if (col < 0 || col >= columnCount() || row < 0 || row >= rows()) return;
  if (row == 0) {
    auto* header = horizontalHeaderItem(col);
    if (!header) setHorizontalHeaderItem(col, header = new QTableWidgetItem);
    header->setText(text);
    return;
  }
  QTableWidgetItem* cell = item(row - 1, col);
  if (!cell) setItem(row - 1, col, cell = new QTableWidgetItem);
  cell->setText(text);
  applyAlignment(cell, col);
}

void DataGrid::setColHidden(int col, bool hidden) { setColumnHidden(col, hidden); }

void DataGrid::setColRightAligned(int col, bool right) {
  if (right) rightAligned_.insert(col);
  else rightAligned_.remove(col);
  for (int r = 0; r < rowCount(); ++r) {
    if (auto* cell = item(r, col)) applyAlignment(cell, col);
  }
}

void DataGrid::applyAlignment(QTableWidgetItem* cell, int col) const {
  cell->setTextAlignment(Qt::AlignVCenter | (rightAligned_.contains(col) ? Qt::AlignRight : Qt::AlignLeft));
}

int DataGrid::addRow(const QStringList& texts) {
  insertRow(rowCount());
  const int row = rowCount();
  for (int c = 0; c < texts.size() && c < columnCount(); ++c) setTextMatrix(row, c, texts[c]);
  return row;
}

int DataGrid::insertRowUnderHeading(const QStringList& texts) {
  insertRow(0);
  for (int c = 0; c < texts.size() && c < columnCount(); ++c) setTextMatrix(1, c, texts[c]);
  return 1;
}

void DataGrid::fitColumnWidths() {
  fitted_.clear();
  for (int c = 0; c < columnCount(); ++c) {
    resizeColumnToContents(c);
    fitted_ << columnWidth(c);
  }
  spreadFreeWidth();
}

void DataGrid::setFillWidth(bool on) {
  fillWidth_ = on;
  spreadFreeWidth();
}

bool DataGrid::viewportEvent(QEvent* event) {
  // The viewport narrows when a scroll bar comes: the columns follow it.
  if (event->type() == QEvent::Resize) spreadFreeWidth();
  return QTableWidget::viewportEvent(event);
}

void DataGrid::spreadFreeWidth() {
  if (!fillWidth_) return;
  if (fitted_.size() != columnCount()) {
    fitted_.clear();
    for (int c = 0; c < columnCount(); ++c) fitted_ << columnWidth(c);
  }
  QList<int> shown;
  int used = 0;
  for (int c = 0; c < columnCount(); ++c) {
    if (isColumnHidden(c)) continue;
    shown << c;
    used += fitted_[c];
  }
  if (shown.isEmpty()) return;
  const int free = std::max(0, viewport()->width() - used);
  for (int i = 0; i < shown.size(); ++i) {
    // The first columns take the pixels an even share leaves over.
    const int share = free / static_cast<int>(shown.size()) + (i < free % shown.size() ? 1 : 0);
    setColumnWidth(shown[i], fitted_[shown[i]] + share);
  }
}
