#pragma once
// The accountants' reports, a page each: the liability's roll-forward over a period (optionally
// of one issuing store), the dormancy of cards holding value, the value expiring or expired, and
// the share redeemed by issue month with its line chart. 查詢, 列印 and 存成CSV act on the page
// shown.
#include <QWidget>

class DataGrid;
class QChartView;
class QLineEdit;
class QTabWidget;
class StatusPanel;
class PrintPreviewWindow;

class AccountingReportWindow : public QWidget {
  Q_OBJECT
public:
  enum Page { RollForwardPage, DormancyPage, ExpiryPage, RedemptionPage };

  explicit AccountingReportWindow(QWidget* parent = nullptr);

  // Fills the page shown; false when a condition is refused or the query failed.
  bool queryPage();
  void printPage();
  void savePageAsCsv();
  void closeWindow() { hide(); }

  QTabWidget* tabReports() const { return tabReports_; }
  QLineEdit* field(const QString& name) const;
  DataGrid* grid(const QString& name) const;
  StatusPanel* elaMsg() const { return elaMsg_; }
  // The chart's lines: each window's name and its points (issue month index, share).
  QList<QPair<QString, QList<QPointF>>> chartLines() const;

protected:
  void showEvent(QShowEvent* event) override;

private:
  QWidget* buildRollForward();
  QWidget* buildDormancy();
  QWidget* buildExpiry();
  QWidget* buildRedemption();
  bool queryRollForward();
  bool queryDormancy();
  bool queryExpiry();
  bool queryRedemption();
  // What the printed page says it was made of, and its table.
  void printBody(PrintPreviewWindow& preview);

  QTabWidget* tabReports_;
  QLineEdit *txtDateB_, *txtDateE_, *txtStoreID_, *txtStoreName_;
  DataGrid *fgRollForward_, *fgDormancy_, *fgDormant_, *fgExpiry_, *fgRedemption_;
  QChartView* chtRedemption_;
  StatusPanel* elaMsg_;
};
