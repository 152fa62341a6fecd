#include "windows/reports/IssuedCardsReport.h"

#include "ui/DataGrid.h"
#include "ui/PrintPreviewWindow.h"

#include <QLineEdit>

IssuedCardsReport::IssuedCardsReport(QWidget* parent)
    : ReportWindow({QStringLiteral("fmRptIssueCard"), QStringLiteral("製卡報表"), QStringLiteral("txtIssueDate"),
                 QStringLiteral("製卡日期"), QStringLiteral("txtIsuCardCnt"), QStringLiteral("發卡張數"),
                 QStringLiteral("卡號|部門|有效日期|金額")},
                parent) {
  fgList()->setColRightAligned(3);
}

Fetched<QString> IssuedCardsReport::fillList(const ReportFilter& filter) {
  const OperationContext ctx = OperationContext::Current();
  const Fetched<QList<IssueCardRow>> rows = IssuedCards(ctx, filter);
  if (!rows) return rows.failure;
  // The chosen store's name, else each code's name; a code the store list lacks shows itself.
  const Fetched<QMap<QString, QString>> names = filter.store.isEmpty() ? StoreNamesByCode(ctx) : QMap<QString, QString>();
  if (!names) return names.failure;
  for (const IssueCardRow& r : *rows) {
    const QString store = filter.store.isEmpty() ? names->value(r.store, r.store) : storeName();
    fgList()->addRow({r.cardNo, store, r.goodThru, r.amt.toString()});
  }
  return QString();
}

void IssuedCardsReport::printBody(PrintPreviewWindow& preview) {
  for (const QString& line : conditionLines(QStringLiteral("銷售部門"))) preview.addText(line);
  preview.addTable(QStringLiteral("<1000|<1000|<1200|<1000"), QStringLiteral("卡號|部門|有效日|金額"),
                   listForPrint({0, 1, 2, 3}));
}

QStringList IssuedCardsReport::closingLines() const {
  return {QString(), QStringLiteral("發卡張數：") + field(QStringLiteral("txtIsuCardCnt"))->text(), QString(),
          QStringLiteral("簽收人：")};
}
