#pragma once
// A grid for lists that run to millions of rows and arrive a page at a time. The rows are texts
// in a model and the view draws only those on screen; the column widths come once from the
// headings and a typical text of each column, not from measuring every cell of every page.
// Rows are addressed as in DataGrid: row 0 is the heading row, data rows start at 1.
#include <QAbstractTableModel>
#include <QList>
#include <QStringList>
#include <QTableView>

class TextRowsModel : public QAbstractTableModel {
public:
  using QAbstractTableModel::QAbstractTableModel;
  void setHeadings(const QStringList& headings);
  void clear();
  void append(const QList<QStringList>& rows);
  QString text(int row, int col) const { return rows_.value(row).value(col); }

  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
  QStringList headings_;
  QList<QStringList> rows_;
};

class LongListGrid : public QTableView {
  Q_OBJECT
public:
  explicit LongListGrid(QWidget* parent = nullptr);

  void setHeadings(const QStringList& headings);
  // Each column as wide as its heading or its sample, whichever is wider; the column
  // `stretching` takes the width the others leave, and long texts show whole as a tip.
  void setColumnSamples(const QStringList& samples, int stretching);

  // Rows including the heading row: 1 when the grid holds no data.
  int rows() const { return model_.rowCount() + 1; }
  QString textMatrix(int row, int col) const;
  void clearRows();
  void appendRows(const QList<QStringList>& rows);
  int currentRow() const { return currentIndex().row(); }
  // The data rows the viewport shows at once, the last one partly.
  int screenRows() const;

signals:
  void currentRowChanged(int row);

private:
  TextRowsModel model_;
};
