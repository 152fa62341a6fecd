#include "windows/reports/TransactionDetailReport.h"

#include "core/Dates.h"
#include "ui/DataGrid.h"
#include "ui/PrintPreviewWindow.h"

namespace {

const QString kHeadings = QStringLiteral("交易日期|卡號|交易部門|交易類別|金額|點數|單據號碼|使用者|備註");

ReportNames namesOf(TransactionDetailReport::Kind kind) {
  static const QString forms[] = {QStringLiteral("fmRptAddAmt"), QStringLiteral("fmRptDeduct"), QStringLiteral("fmRptSale")};
  static const QString captions[] = {QStringLiteral("加值明細表"), QStringLiteral("抵扣明細表"), QStringLiteral("銷售明細表")};
  const int i = static_cast<int>(kind);
  return {forms[i], captions[i], QStringLiteral("txtTxnDate"), QStringLiteral("交易日期"),
          QStringLiteral("txtTxnCnt"), QStringLiteral("筆數"), kHeadings};
}

}  // namespace

TransactionDetailReport::TransactionDetailReport(Kind kind, QWidget* parent) : ReportWindow(namesOf(kind), parent), kind_(kind) {
  fgList()->setColRightAligned(4);
  fgList()->setColRightAligned(5);
}

QString TransactionDetailReport::typeText(const QString& code) {
  if (!typeNames_.contains(code)) typeNames_.insert(code, TransactionTypeDescription(code));
  const QString dscp = typeNames_.value(code);
  return dscp.isEmpty() ? code : code + QLatin1Char(' ') + dscp;
}

Fetched<QString> TransactionDetailReport::fillList(const ReportFilter& filter) {
  Money amt, point;
  const Fetched<QList<TxnDetailRow>> rows = TransactionDetails(OperationContext::Current(), kind_, filter);
  if (!rows) return rows.failure;
  for (const TxnDetailRow& r : *rows) {
    fgList()->addRow({DateForDisplay(r.txnDate), r.cardNo, r.txnDept, typeText(r.txnType), r.amt.toString(),
                      r.point.toString(), r.refCheckNo, r.userID, r.remark});
    amt += r.amt;
    point += r.point;
  }
  return QStringLiteral("金額合計：") + amt.toString() + QStringLiteral("　點數合計：") + point.toString();
}

void TransactionDetailReport::printBody(PrintPreviewWindow& preview) {
  for (const QString& line : conditionLines(QStringLiteral("交易部門"))) preview.addText(line);
  preview.addTable(QStringLiteral("<1100|<1000|<800|<1300|>900|>800|<1100|<900"),
                   QStringLiteral("交易日期|卡號|部門|類別|金額|點數|單據號碼|使用者"), listForPrint({0, 1, 2, 3, 4, 5, 6, 7}));
}
