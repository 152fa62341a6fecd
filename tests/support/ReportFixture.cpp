#include "support/ReportFixture.h"
#include "support/Sql.h"

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
  Exec(gCnn(), QStringLiteral("INSERT INTO TolvaLog (TxnDept, TxnType, CardNo, TxnDate, TxnAmt, TxnPoint, Remark) "
                                "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                 {dept, type, cardNo, at(when), amt, point, remark});
}

void ReportTest::card(const QString& cardNo, const QString& status, const QString& dept, const char* goodThru,
                      const QString& bal, const QString& points, const char* issued) {
  Exec(gCnn(), QStringLiteral("INSERT INTO Tolva (CardNo, Status, IssueDept, IssueDate, GoodThru, BalAmt, BalPoint) "
                                "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                 {cardNo, status, dept, at(issued), at((QByteArray(goodThru) + " 00:00:00").constData()), bal, points});
}

void ReportTest::store(const QString& id, const QString& name) {
  Exec(gCnn(), QStringLiteral("INSERT INTO Store (StoreID, StoreName, ListNo) VALUES (?, ?, 1)"), {id, name});
}

void ReportTest::liabilityFleet() {
  card(QStringLiteral("V1"), QStringLiteral("11"), QStringLiteral("01"), "2026/03/09", QStringLiteral("100"), QStringLiteral("1"));  // expired
  card(QStringLiteral("V2"), QStringLiteral("01"), QStringLiteral("01"), "2026/04/09", QStringLiteral("200"), QStringLiteral("2"));
  card(QStringLiteral("V3"), QStringLiteral("12"), QStringLiteral("02"), "2026/06/08", QStringLiteral("300.5"), QStringLiteral("3"));
  card(QStringLiteral("V4"), QStringLiteral("11"), QStringLiteral("02"), "2027/03/10", QStringLiteral("400"));
  card(QStringLiteral("V5"), QStringLiteral("11"), QStringLiteral("02"), "2027/03/11", QStringLiteral("500"));
  card(QStringLiteral("V6"), QStringLiteral("81"), QStringLiteral("01"), "2027/03/11", QStringLiteral("1000"));
  card(QStringLiteral("V7"), QStringLiteral("99"), QStringLiteral("01"), "2027/03/11", QStringLiteral("1000"));
  card(QStringLiteral("V8"), QStringLiteral("11"), QStringLiteral("01"), "2027/03/11", QStringLiteral("1000"), QStringLiteral("0"), "2026/03/11 00:00:00");
}

void ReportTest::reconcileFleet() {
  card(QStringLiteral("V1"), QStringLiteral("11"), QStringLiteral("01"), "2027/12/31", QStringLiteral("700.1"), QStringLiteral("10"));
  txn(QStringLiteral("11"), QStringLiteral("V1"), "2026/03/01 10:00:00", QStringLiteral("500"));
  txn(QStringLiteral("13"), QStringLiteral("V1"), "2026/03/01 11:00:00", QStringLiteral("0"));
  txn(QStringLiteral("21"), QStringLiteral("V1"), "2026/03/02 10:00:00", QStringLiteral("300.1"), QStringLiteral("15"));
  txn(QStringLiteral("22"), QStringLiteral("V1"), "2026/03/03 10:00:00", QStringLiteral("-150"));
  txn(QStringLiteral("32"), QStringLiteral("V1"), "2026/03/03 11:00:00", QStringLiteral("50"));
  txn(QStringLiteral("23"), QStringLiteral("V1"), "2026/03/04 10:00:00", QStringLiteral("0"), QStringLiteral("-5"));
  card(QStringLiteral("V2"), QStringLiteral("12"), QStringLiteral("01"), "2027/12/31", QStringLiteral("400"));
  txn(QStringLiteral("12"), QStringLiteral("V2"), "2026/03/05 10:00:00", QStringLiteral("400"));
  card(QStringLiteral("V3"), QStringLiteral("99"), QStringLiteral("01"), "2027/12/31", QStringLiteral("0"));
  Exec(gCnn(), QStringLiteral("INSERT INTO VoidCard (CardNo, Remark) VALUES ('V3', 'lost')"));
  txn(QStringLiteral("99"), QStringLiteral("V3"), "2026/03/05 10:00:00", QStringLiteral("0"));
}

QStringList ReportTest::listed(ReportWindow& w, const QString& first, const QString& last, const QString& store, int col) {
  const auto fields = w.findChildren<QLineEdit*>();
  for (QLineEdit* f : fields) {
    const QString n = f->objectName();
    if (n.endsWith(QLatin1Char('B')) && n.contains(QStringLiteral("Date"))) f->setText(first);
    if (n.endsWith(QLatin1Char('E')) && n.contains(QStringLiteral("Date"))) f->setText(last);
  }
  w.field(QStringLiteral("txtStoreID"))->setText(store);
  w.listRows();
  QStringList out;
  for (int r = 1; r < w.fgList()->rows(); ++r) out << w.fgList()->textMatrix(r, col);
  return out;
}
