#pragma once
// The reconciliation report: every card whose master row disagrees with its journal, every
// journal card without a master row, and blacklisted cards missing from the withdrawn-card
// list or the reverse; printed and saved as CSV.
#include <QWidget>

class StatusPanel;
class DataGrid;

class ReconcileReport : public QWidget {
  Q_OBJECT
public:
  explicit ReconcileReport(QWidget* parent = nullptr);

  bool queryRows();
  void listRows();
  void printList();
  void saveAsCsv();
  void closeWindow() { hide(); }
  DataGrid* fgList() const { return fgList_; }
  StatusPanel* elaMsg() const { return elaMsg_; }

protected:
  void showEvent(QShowEvent* event) override;

private:
  DataGrid* fgList_;
  StatusPanel* elaMsg_;
};
