#pragma once
// The frame the date-range reports share: a conditions page (first and last date, store with
// its name beside it) and a data page (grid, count, totals), with query, print, CSV and exit
// buttons. A report fills the grid in queryRows and writes its document in printBody.
#include "operations/Reports.h"

#include <QWidget>
#include <functional>
#include <optional>

class StatusPanel;
class DataGrid;
class QLabel;
class QGridLayout;
class QLayout;
class QLineEdit;
class QTabWidget;
class PrintPreviewWindow;

// Shared by the report windows: the grid's rows as a printed table's text (cells by "|", rows
// by ";"), and the grid saved as CSV in the code page where the operator chooses (the folder is
// remembered per window).
QString GridPrintText(const DataGrid* grid, const QList<int>& columns);
// A printed query range: "first-last", an open end as "不限", no range at all as "全部".
QString RangeText(const QString& first, const QString& last);
void SaveGridAsCsv(QWidget* form, const DataGrid* grid, const QString& fileName, StatusPanel* panel);

// The conditions of a period and a store: first and last date ("<prefix>B", "<prefix>E") and the
// store code with its name beside it, laid out in the first two rows of `grid`.
struct PeriodFields {
  QLineEdit *first, *last, *storeId, *storeName;
};
PeriodFields AddPeriodFields(QWidget* page, QGridLayout* grid, const QString& datePrefix, const QString& dateLabel,
                             const QString& storeLabel);

// The button row every report window has: 查詢, 列印, 存成CSV and &Z結束; the exit leaves
// without checking the fields.
struct ReportActions {
  std::function<void()> query, print, save, exit;
};
QLayout* ReportButtonRow(QWidget* form, const ReportActions& on);

struct ReportNames {
  QString form;       // object name of the window
  QString caption;    // window caption, title of the printed document and CSV file name
  QString datePrefix; // field names: prefix + "B" and "E"
  QString dateLabel;
  QString countName;  // object name of the count field
  QString countLabel;
  QString headings;   // grid headings "a|b|c"
};

class ReportWindow : public QWidget {
  Q_OBJECT
public:
  explicit ReportWindow(const ReportNames& names, QWidget* parent = nullptr);

  // Lists the rows of the conditions; false when a condition is refused or the query failed.
  bool queryRows();
  void listRows();
  void printList();
  void saveAsCsv();
  void closeWindow() { hide(); }
  bool checkStore();

  QLineEdit* field(const QString& name) const;
  DataGrid* fgList() const { return fgList_; }
  StatusPanel* elaMsg() const { return elaMsg_; }
  QString totalText() const;

protected:
  // Fills the grid from the filter and answers the totals line ("" for none).
  virtual Fetched<QString> fillList(const ReportFilter& filter) = 0;
  // The document between its title and the closing lines.
  virtual void printBody(PrintPreviewWindow& preview) = 0;
  // The lines after the table.
  virtual QStringList closingLines() const;
  virtual QString docTitle() const { return names_.caption; }
  void showEvent(QShowEvent* event) override;

  // The grid rows as the printed table's text: cells by "|", rows by ";".
  QString listForPrint(const QList<int>& columns) const;
  // "label：first-last" and "storeLabel：code-name", "全部" for a condition left empty: a printed
  // list always says what it was made of.
  QStringList conditionLines(const QString& storeLabel) const;
  QString storeName() const;
  const ReportNames names_;

private:
  QWidget* buildConditions();
  QWidget* buildData();
  std::optional<ReportFilter> filter();

  QTabWidget* tabPage_;
  QLineEdit* txtDateB_;
  QLineEdit* txtDateE_;
  QLineEdit* txtStoreID_;
  QLineEdit* txtStoreName_;
  DataGrid* fgList_;
  QLineEdit* txtCnt_;
  QLabel* lblTotal_;
  StatusPanel* elaMsg_;
};
