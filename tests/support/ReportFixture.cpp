#include "support/ReportFixture.h"

#include "ui/DataGrid.h"
#include "db/Connection.h"
#include "windows/reports/ReportWindow.h"

#include <QLineEdit>

namespace {
QVariant at(const char* text) {
  return gCnn().dialect().dateValue(QDateTime::fromString(QString::fromLatin1(text), QStringLiteral("yyyy/MM/dd HH:mm:ss")));
}
}  // namespace

void ReportTest::txn(const QString& type, const QString& cardNo, const char* when, const QString& amt,
                     const QString& point, const QString& dept, const QString& remark) {
  gCnn().execute(QStringLiteral("INSERT INTO TolvaLog (TxnDept, TxnType, CardNo, TxnDate, TxnAmt, TxnPoint, Remark) "
                                "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                 {dept, type, cardNo, at(when), amt, point, remark});
}

void ReportTest::card(const QString& cardNo, const QString& status, const QString& dept, const char* goodThru,
                      const QString& bal, const QString& points, const char* issued) {
  gCnn().execute(QStringLiteral("INSERT INTO Tolva (CardNo, Status, IssueDept, IssueDate, GoodThru, BalAmt, BalPoint) "
                                "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                 {cardNo, status, dept, at(issued), at((QByteArray(goodThru) + " 00:00:00").constData()), bal, points});
}

void ReportTest::store(const QString& id, const QString& name) {
  gCnn().execute(QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES (?, ?, 1)"), {id, name});
}

QStringList ReportTest::listed(ReportWindow& w, const QString& first, const QString& last, const QString& store, int col) {
  const auto fields = w.findChildren<QLineEdit*>();
  for (QLineEdit* f : fields) {
    const QString n = f->objectName();
    if (n.endsWith(QLatin1Char('B')) && n.contains(QStringLiteral("Date"))) f->setText(first);
    if (n.endsWith(QLatin1Char('E')) && n.contains(QStringLiteral("Date"))) f->setText(last);
  }
  w.field(QStringLiteral("txtStoreID"))->setText(store);
  w.cmdQry_Click();
  QStringList out;
  for (int r = 1; r < w.fgList()->rows(); ++r) out << w.fgList()->textMatrix(r, col);
  return out;
}
