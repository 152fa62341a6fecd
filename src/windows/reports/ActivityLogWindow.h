#pragma once
// The application log viewer: lists the rows of the application log of a date range, narrowed
// by action, program, user, workstation and outcome (failures or refusals), newest first;
// prints the list and saves it as CSV. A year holds millions of rows: the list fetches a page
// at a time, the next one when the operator reaches the end of the rows loaded, and printing
// and saving read the rows of the list's conditions from the database.
#include "operations/Reports.h"

#include <QWidget>
#include <optional>

class StatusPanel;
class LongListGrid;
class QComboBox;
class QLineEdit;
class QPushButton;

class ActivityLogWindow : public QWidget {
  Q_OBJECT
public:
  // Rows fetched at a time once the first screen is shown: a few screens.
  static constexpr int kPageRows = 200;
  // The most rows a printed list holds; more are saved as CSV instead.
  static constexpr int kPrintRows = 20000;

  explicit ActivityLogWindow(QWidget* parent = nullptr);

  void listRows();
  void printList();
  void saveAsCsv();
  void closeWindow();
  // Leaving the action code shows its description.
  bool showActionDescription();

  QLineEdit* field(const QString& name) const;
  QComboBox* cboOutcome() const { return cboOutcome_; }
  LongListGrid* fgLog() const { return fgLog_; }
  StatusPanel* elaMsg() const { return elaMsg_; }

protected:
  void showEvent(QShowEvent* event) override;

private:
  QLayout* buildFilters();
  QLayout* buildButtons();
  // The filter of the fields; nothing (the status bar says why) when a date is not one.
  std::optional<ActivityLogFilter> filter();
  // The conditions the list was made with, as lines of the printed document.
  QStringList conditionLines() const;

  // Paging: a shown list starts with one screen of rows. Reaching the end of the loaded rows
  // (the scroll bar at its end, the current row on the last one, or a list shorter than its
  // window) fetches the next page once, after the event that got there.
  int firstPageRows() const;
  void watchListEnd();
  void queueNextPage();
  bool atListEnd() const;
  void fetchNextPage();
  void appendPage(const ActivityLogPage& page);
  QString listStatus() const;
  // Printing and saving: every row of the listed conditions, from the database.
  bool readPrintRows(QList<QStringList>& rows);
  bool writeCsv(const QString& file);

  QLineEdit* txtDateB_;
  QLineEdit* txtDateE_;
  QLineEdit* txtActionID_;
  QLineEdit* txtActionDscp_;
  QLineEdit* txtProgID_;
  QLineEdit* txtUserID_;
  QLineEdit* txtLoginWS_;
  QComboBox* cboOutcome_;
  QStringList listConditions_;  // the conditions of the listed rows
  std::optional<ActivityLogFilter> listed_;  // the filter of the listed rows
  std::optional<qint64> lastRNo_;            // the last row loaded: the next page starts after it
  bool more_ = false;                        // rows of the list remain to be fetched
  bool pageQueued_ = false;
  LongListGrid* fgLog_;
  StatusPanel* elaMsg_;
};
