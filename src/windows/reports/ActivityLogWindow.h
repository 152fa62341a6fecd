#pragma once
// The application log viewer: lists the rows of the application log of a date range, narrowed
// by action, program, user, workstation and outcome (failures or refusals), newest first;
// prints the list and saves it as CSV.
#include "ledger/ActivityLogQuery.h"

#include <QWidget>
#include <optional>

class ElaBar;
class FlexGrid;
class QComboBox;
class QLineEdit;
class QPushButton;

class fmLog : public QWidget {
  Q_OBJECT
public:
  explicit fmLog(QWidget* parent = nullptr);

  void cmdQry_Click();
  void cmdPrint_Click();
  void cmdSave_Click();
  void cmdExit_Click();
  // Leaving the action code shows its description.
  bool txtActionID_Validate();

  QLineEdit* field(const QString& name) const;
  QComboBox* cboOutcome() const { return cboOutcome_; }
  FlexGrid* fgLog() const { return fgLog_; }
  ElaBar* elaMsg() const { return elaMsg_; }

protected:
  void showEvent(QShowEvent* event) override;

private:
  QLayout* buildFilters();
  QLayout* buildButtons();
  // The filter of the fields; nothing (the status bar says why) when a date is not one.
  std::optional<ApLogFilter> filter();
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
  FlexGrid* fgLog_;
  ElaBar* elaMsg_;
};
