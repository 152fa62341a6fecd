#include "windows/counter/MenuWindows.h"

#include "windows/settings/BackupWindow.h"
#include "windows/settings/CardMessageWindow.h"
#include "windows/settings/CardKeyWindow.h"
#include "windows/settings/ParametersWindow.h"
#include "windows/settings/StoreWindow.h"
#include "windows/reports/ActivityLogWindow.h"
#include "windows/reports/IssuedCardsReport.h"
#include "windows/reports/AccountingReportWindow.h"
#include "windows/reports/LiabilityReport.h"
#include "windows/reports/ReconcileReport.h"
#include "windows/reports/TransactionDetailReport.h"
#include "windows/issue/IssueWindow.h"
#include "windows/issue/SaleWindow.h"
#include "windows/issue/AddValueWindow.h"
#include "windows/issue/ReissueWindow.h"
#include "windows/inquiry/BlacklistWindow.h"
#include "windows/issue/GoodThruWindow.h"
#include "windows/issue/VoidWindow.h"
#include "windows/inquiry/EraseWindow.h"
#include "windows/inquiry/CardQueryWindow.h"
#include "windows/exchange/ImportWindow.h"
#include "windows/exchange/BlacklistExportWindow.h"

#include <QMap>
#include <functional>

namespace {
const QMap<QString, std::function<QWidget*()>>& factories() {
  static const QMap<QString, std::function<QWidget*()>> table = {
      {QStringLiteral("cmdSetMsg"), [] { return new CardMessageWindow; }},
      {QStringLiteral("cmdSetBatchKey"), [] { return new CardKeyWindow; }},
      {QStringLiteral("cmdBackup"), [] { return new BackupWindow; }},
      {QStringLiteral("cmdSetDept"), [] { return new StoreWindow; }},
      {QStringLiteral("cmdSetting"), [] { return new ParametersWindow; }},
      {QStringLiteral("cmdIsuCard"), [] { return new IssueWindow; }},
      {QStringLiteral("cmdSaleCard"), [] { return new SaleWindow; }},
      {QStringLiteral("cmdAddAmt"), [] { return new AddValueWindow; }},
      {QStringLiteral("cmdReIssueCard"), [] { return new ReissueWindow; }},
      {QStringLiteral("cmdVoidTxn"), [] { return new VoidWindow; }},
      {QStringLiteral("cmdSetGoodThru"), [] { return new GoodThruWindow; }},
      {QStringLiteral("cmdEraseCard"), [] { return new EraseWindow; }},
      {QStringLiteral("cmdDelCard"), [] { return new BlacklistWindow; }},
      {QStringLiteral("cmdQryCard"), [] { return new CardQueryWindow; }},
      {QStringLiteral("cmdLog"), [] { return new ActivityLogWindow; }},
      {QStringLiteral("cmdCardLogImport"), [] { return new ImportWindow; }},
      {QStringLiteral("cmdVoidCardExport"), [] { return new BlacklistExportWindow; }},
      {QStringLiteral("cmdRptIssueCard"), [] { return new IssuedCardsReport; }},
      {QStringLiteral("Command4"), [] { return new TransactionDetailReport(TransactionDetailReport::Kind::TopUp); }},
      {QStringLiteral("Command5"), [] { return new TransactionDetailReport(TransactionDetailReport::Kind::Deduct); }},
      {QStringLiteral("Command6"), [] { return new TransactionDetailReport(TransactionDetailReport::Kind::Sale); }},
      {QStringLiteral("cmdRptLiability"), [] { return new LiabilityReport; }},
      {QStringLiteral("cmdRptReconcile"), [] { return new ReconcileReport; }},
      {QStringLiteral("cmdRptAccounting"), [] { return new AccountingReportWindow; }},
  };
  return table;
}
}  // namespace

bool HasOperationWindow(const QString& buttonName) { return factories().contains(buttonName); }

QWidget* CreateOperationWindow(const QString& buttonName) {
  const auto it = factories().find(buttonName);
  return it == factories().end() ? nullptr : (*it)();
}
