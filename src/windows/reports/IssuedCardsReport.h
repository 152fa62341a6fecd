#pragma once
// The issued-card report: the issuing rows of a date range and store, with the card's store
// and good-thru date taken from the row's remark; printed as the card issue list with a line
// for the receiver's signature.
#include "windows/reports/ReportWindow.h"

class fmRptIssueCard : public RptWindow {
  Q_OBJECT
public:
  explicit fmRptIssueCard(QWidget* parent = nullptr);

protected:
  QString fillList(const RptFilter& filter) override;
  void printBody(frmPrint& preview) override;
  QStringList closingLines() const override;
  QString docTitle() const override { return QStringLiteral("製卡明細表"); }
};
