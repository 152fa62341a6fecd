#pragma once
// The application log viewer: lists the rows of the application log of a date range, narrowed
// by action, program, user, workstation and outcome (failures or refusals), newest first;
// prints the list and saves it as CSV.
#include "operations/Reports.h"

#include <QWidget>
#include <optional>

class StatusPanel;
class DataGrid;
class QComboBox;
class QLineEdit;
class QPushButton;

class ActivityLogWindow : public QWidget {
  Q_OBJECT
public:
  explicit ActivityLogWindow(QWidget* parent = nullptr);

  void listRows();
  void printList();
  void saveAsCsv();
  void closeWindow();
  // Leaving the action code shows its description.
  bool showActionDescription();

  QLineEdit* field(const QString& name) const;
  QComboBox* cboOutcome() const { return cboOutcome_; }
  DataGrid* fgLog() const { return fgLog_; }
  StatusPanel* elaMsg() const { return elaMsg_; }

protected:
  void showEvent(QShowEvent* event) override;

private:
  QLayout* buildFilters();
  QLayout* buildButtons();
  // The filter of the fields; nothing (the status bar says why) when a date is not one.
  std::optional<ActivityLogFilter> filter();
  QString listForPrint() const;
  // The conditions the list was made with, as lines of the printed document.
  QStringList conditionLines() const;

  QLineEdit* txtDateB_;
  QLineEdit* txtDateE_;
  QLineEdit* txtActionID_;
  QLineEdit* txtActionDscp_;
  QLineEdit* txtProgID_;
  QLineEdit* txtUserID_;
  QLineEdit* txtLoginWS_;
  QComboBox* cboOutcome_;
  QStringList listConditions_;  // the conditions of the listed rows
  DataGrid* fgLog_;
  StatusPanel* elaMsg_;
};
