#pragma once
// The transaction detail reports: the journal rows of some transaction types in a date range
// and store, with their count and totals. One window per kind, opened from the main window.
#include "windows/reports/ReportWindow.h"

class TransactionDetailReport : public ReportWindow {
  Q_OBJECT
public:
  using Kind = DetailReport;
  explicit TransactionDetailReport(Kind kind, QWidget* parent = nullptr);

protected:
  Fetched<QString> fillList(const ReportFilter& filter) override;
  void printBody(PrintPreviewWindow& preview) override;

private:
  QString typeText(const QString& code);

  Kind kind_;
  QMap<QString, QString> typeNames_;
};
