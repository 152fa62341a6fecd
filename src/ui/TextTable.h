#pragma once
// A read-only table of texts over a model that holds the rows as they are: a grid of thousands
// of rows is shown without an item per cell. Addressed like the flexible grid: row 0 is the
// heading row, data rows count from 1.
#include <QList>
#include <QSet>
#include <QStringList>
#include <QTableView>

class TextTableModel;

class TextTable : public QTableView {
  Q_OBJECT
public:
  explicit TextTable(QWidget* parent = nullptr);

  // The heading texts, one per column (the column count follows them): "a|b|c".
  void setHeadings(const QString& barSeparated);
  void setColHidden(int col, bool hidden) { setColumnHidden(col, hidden); }
  void setColRightAligned(int col, bool right = true);

  // Replaces the data rows; a row shorter than the headings reads as empty in the rest.
  void setDataRows(QList<QStringList> rows);
  void clearRows() { setDataRows({}); }

  int cols() const;
  // Rows including the heading row: 1 when the table holds no data.
  int rows() const;
  QString textMatrix(int row, int col) const;
  // Fits every column to its heading and contents.
  void fitColumnWidths();

private:
  TextTableModel* model_;
};
