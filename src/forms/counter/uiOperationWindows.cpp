#include "forms/counter/uiOperationWindows.h"

#include "card/fmCardMsg.h"
#include "card/fmSetBatchKey.h"
#include "forms/reports/fmSettingParam.h"
#include "forms/reports/fmWJN0107.h"
#include "forms/reports/fmLog.h"
#include "forms/reports/fmRptIssueCard.h"
#include "forms/reports/fmRptLiability.h"
#include "forms/reports/fmRptReconcile.h"
#include "forms/reports/fmRptTxnDetail.h"
#include "forms/issue/fmIsuCard.h"
#include "forms/issue/fmSaleCard.h"
#include "forms/issue/fmAddAmt.h"
#include "forms/issue/fmReIssueCard.h"
#include "forms/inquiry/fmDelCard.h"
#include "forms/issue/fmUpdGoodThru.h"
#include "forms/issue/fmVoidTxn.h"
#include "forms/inquiry/fmEraseCard.h"
#include "forms/inquiry/fmQryCard.h"
#include "exchange/fmCardLogImport.h"
#include "exchange/fmVoidCardExport.h"

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
