#pragma once
// The issued-card report: the issuing rows of a date range and store, with the card's store
// and good-thru date taken from the row's remark; printed as the card issue list with a line
// for the receiver's signature.
#include "windows/reports/ReportWindow.h"

class IssuedCardsReport : public ReportWindow {
  Q_OBJECT
public:
  explicit IssuedCardsReport(QWidget* parent = nullptr);

protected:
  Fetched<QString> fillList(const ReportFilter& filter) override;
  void printBody(PrintPreviewWindow& preview) override;
  QStringList closingLines() const override;
  QString docTitle() const override { return QStringLiteral("製卡明細表"); }
};
