#pragma once
// The outstanding liability report: on a chosen day, what the live cards still hold (count,
// balance, points) by issuing store, by good-thru month and by time left to expiry, with a bar
// chart of the balance by good-thru month; printed and saved as CSV.
#include <QWidget>

class StatusPanel;
class DataGrid;
class QChartView;
class QLineEdit;

class LiabilityReport : public QWidget {
  Q_OBJECT
public:
  explicit LiabilityReport(QWidget* parent = nullptr);

  bool queryRows();
  void listRows() { queryRows(); }
  void printList();
  void saveAsCsv();
  void closeWindow() { hide(); }
  QLineEdit* txtDate() const { return txtDate_; }
  DataGrid* fgList() const { return fgList_; }
  // The bars of the chart: good-thru month and balance.
  QList<QPair<QString, double>> bars() const;

protected:
  void showEvent(QShowEvent* event) override;

private:
  QLineEdit* txtDate_;
  DataGrid* fgList_;
  QChartView* chart_;
  StatusPanel* elaMsg_;
};
