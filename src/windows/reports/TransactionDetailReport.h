#pragma once
// The transaction detail reports: the journal rows of some transaction types in a date range
// and store, with their count and totals. One window per kind, opened from the main window.
#include "windows/reports/ReportWindow.h"

class fmRptTxnDetail : public RptWindow {
  Q_OBJECT
public:
  enum class Kind { TopUp, Deduct, Sale };
  explicit fmRptTxnDetail(Kind kind, QWidget* parent = nullptr);

protected:
  QString fillList(const RptFilter& filter) override;
  void printBody(frmPrint& preview) override;

private:
  QString typeText(const QString& code);

  Kind kind_;
  QStringList types_;
  QMap<QString, QString> typeNames_;
};
