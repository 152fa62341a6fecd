#pragma once
// The flexible grid of the windows: a heading row (row 0) above the data rows (1, 2, ...),
// text cells addressed by row and column, hidden and right-aligned columns, widths fitted to
// the contents. Row 0 is the table's header, so it stays in view while the rows scroll.
#include <QSet>
#include <QStringList>
#include <QTableWidget>


class DataGrid : public QTableWidget {
  Q_OBJECT
public:
  explicit DataGrid(QWidget* parent = nullptr);

  int cols() const { return columnCount(); }
  void setCols(int n);
  // Rows including the heading row: 1 when the grid holds no data.
  int rows() const { return rowCount() + 1; }
  // Keeps the heading row and the first n - 1 data rows, adding empty ones as needed.
  void setRows(int n);

  // The heading texts, one per column (the column count follows them).
  void setHeadings(const QStringList& headings);
  void setHeadings(const QString& barSeparated);  // "a|b|c"

  // Text of a cell; row 0 is the heading row.
  QString textMatrix(int row, int col) const;
  void setTextMatrix(int row, int col, const QString& text);

  void setColHidden(int col, bool hidden);
  bool colHidden(int col) const { return isColumnHidden(col); }
  void setColRightAligned(int col, bool right = true);
  bool colRightAligned(int col) const { return rightAligned_.contains(col); }

  // Appends a data row, or inserts one as row 1 (directly under the heading); answers its row.
  int addRow(const QStringList& texts = {});
  int insertRowUnderHeading(const QStringList& texts = {});
  // Leaves only the heading row.
  void clearRows() { setRows(1); }
  // Fits every column, from the first to the last, to its heading and contents.
  void fitColumnWidths();
  // The columns share the width their contents leave free, so that the grid fills its window
  // however wide it is made (a report's list).
  void setFillWidth(bool on);

protected:
  bool viewportEvent(QEvent* event) override;

private:
  void applyAlignment(QTableWidgetItem* item, int col) const;
  void spreadFreeWidth();
  QSet<int> rightAligned_;
  bool fillWidth_ = false;
  QList<int> fitted_;  // the widths the contents asked for
};

