#include "windows/counter/MenuWindows.h"

#include "windows/settings/CardMessageWindow.h"
#include "windows/settings/CardKeyWindow.h"
#include "windows/settings/ParametersWindow.h"
#include "windows/settings/StoreWindow.h"
#include "windows/reports/ActivityLogWindow.h"
#include "windows/reports/IssuedCardsReport.h"
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
      {QStringLiteral("cmdSetMsg"), [] { return new fmCardMsg; }},
      {QStringLiteral("cmdSetBatchKey"), [] { return new fmSetBatchKey; }},
      {QStringLiteral("cmdSetDept"), [] { return new fmWJN0107; }},
      {QStringLiteral("cmdSetting"), [] { return new fmSettingParam; }},
      {QStringLiteral("cmdIsuCard"), [] { return new fmIsuCard; }},
      {QStringLiteral("cmdSaleCard"), [] { return new fmSaleCard; }},
      {QStringLiteral("cmdAddAmt"), [] { return new fmAddAmt; }},
      {QStringLiteral("cmdReIssueCard"), [] { return new fmReIssueCard; }},
      {QStringLiteral("cmdVoidTxn"), [] { return new fmVoidTxn; }},
      {QStringLiteral("cmdSetGoodThru"), [] { return new fmUpdGoodThru; }},
      {QStringLiteral("cmdEraseCard"), [] { return new fmEraseCard; }},
      {QStringLiteral("cmdDelCard"), [] { return new fmDelCard; }},
      {QStringLiteral("cmdQryCard"), [] { return new fmQryCard; }},
      {QStringLiteral("cmdLog"), [] { return new fmLog; }},
      {QStringLiteral("cmdCardLogImport"), [] { return new fmCardLogImport; }},
      {QStringLiteral("cmdVoidCardExport"), [] { return new fmVoidCardExport; }},
      {QStringLiteral("cmdRptIssueCard"), [] { return new fmRptIssueCard; }},
      {QStringLiteral("Command4"), [] { return new fmRptTxnDetail(fmRptTxnDetail::Kind::TopUp); }},
      {QStringLiteral("Command5"), [] { return new fmRptTxnDetail(fmRptTxnDetail::Kind::Deduct); }},
      {QStringLiteral("Command6"), [] { return new fmRptTxnDetail(fmRptTxnDetail::Kind::Sale); }},
      {QStringLiteral("cmdRptLiability"), [] { return new fmRptLiability; }},
      {QStringLiteral("cmdRptReconcile"), [] { return new fmRptReconcile; }},
  };
  return table;
}
}  // namespace

bool HasOperationWindow(const QString& buttonName) { return factories().contains(buttonName); }

QWidget* CreateOperationWindow(const QString& buttonName) {
  const auto it = factories().find(buttonName);
  return it == factories().end() ? nullptr : (*it)();
}
