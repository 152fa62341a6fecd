#include "ledger/CardRows.h"

#include "core/ErrorReport.h"
#include "core/Money.h"
#include "db/Connection.h"
#include "db/Database.h"

#include <QStringList>

namespace {

// Inserts one row with every value bound and answers the key this connection generated (never
// another session's). The card and journal rows are stamped with the database's now (FileDate).
Fetched<QVariant> insertRow(Connection& cnn, const QString& table, QStringList columns, const QVariantList& values,
                            bool stamped = true) {
  QStringList marks(columns.size(), QStringLiteral("?"));
  if (stamped) {
    columns << QStringLiteral("FileDate");
    marks << cnn.dialect().nowFunc();
  }
  const QString sql = QStringLiteral("INSERT INTO %1 ( %2 ) VALUES ( %3 )")
                          .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
  if (const Fetched<int> inserted = cnn.execute(sql, values); !inserted) return inserted.failure;
  const Fetched<QVariant> id = cnn.lastInsertId();
  if (!id) return id.failure;
  if (!id->isValid() || id->isNull()) return Failure{QStringLiteral("-1"), QStringLiteral("No generated row number after: ") + sql};
  return QVariant(id->toLongLong());
}

// Dates as bound values; a value that is not a date fails the row.
struct BoundDates {
  const Dialect& dialect;
  std::optional<Failure> bad;
  QVariant operator()(const QVariant& value) {
    Fetched<QVariant> bound = BoundDate(value, dialect);
    if (!bound && !bad) bad = bound.failure;
    return std::move(bound).valueOr();
  }
};

// The generated row number into `rno`, or the failure kept for the window to show.
bool keepRowNumber(const Fetched<QVariant>& id, QVariant& rno, const QString& label) {
  if (!id) {
    LogErrorToShow(label, id.failure);
    return false;
  }
  rno = *id;
  return true;
}

// An amount or point value: the exact decimal of its text, 0 when empty.
QVariant number(const QVariant& value) { return Money::fromVariant(value).toString(); }

}  // namespace

bool InsertJournalRow(JournalRow& rec, Connection& cnn) {
  BoundDates date{cnn.dialect(), {}};
  const QStringList columns{QStringLiteral("TxnDept"), QStringLiteral("TxnType"),  QStringLiteral("CardNo"),
                            QStringLiteral("TxnDate"), QStringLiteral("TxnAmt"),   QStringLiteral("TxnPoint"),
                            QStringLiteral("RefCheckNo"), QStringLiteral("POSID"), QStringLiteral("UserID"),
                            QStringLiteral("Remark")};
  const QVariantList values{BoundText(rec.TxnDept), BoundText(rec.TxnType),    BoundText(rec.CardNo),
                            date(rec.TxnDate),         number(rec.TxnAmt),     number(rec.TxnPoint),
                            BoundText(rec.RefCheckNo), BoundText(rec.POSID),   BoundText(rec.UserID),
                            BoundText(rec.Remark)};
  return keepRowNumber(date.bad ? Fetched<QVariant>(*date.bad) : insertRow(cnn, QStringLiteral("TolvaLog"), columns, values),
                       rec.RNo, ErrorLabel());
}

bool InsertCard(CardRow& rec, Connection& cnn) {
  BoundDates date{cnn.dialect(), {}};
  const QStringList columns{QStringLiteral("BatchNo"),   QStringLiteral("CardType"),  QStringLiteral("CardNo"),
                            QStringLiteral("Status"),    QStringLiteral("IssueDate"), QStringLiteral("FirstDate"),
                            QStringLiteral("LastDate"),  QStringLiteral("GoodThru"),  QStringLiteral("BalAmt"),
                            QStringLiteral("BalPoint"),  QStringLiteral("IssueDept"), QStringLiteral("OCardNo"),
                            QStringLiteral("POSID"),     QStringLiteral("UserID"),    QStringLiteral("UpdUserID"),
                            QStringLiteral("Remark")};
  const QVariantList values{BoundText(rec.BatchNo),    BoundText(rec.CardType),    BoundText(rec.CardNo),
                            BoundText(rec.Status),     date(rec.IssueDate),       date(rec.FirstDate),
                            date(rec.LastDate),        date(rec.GoodThru), number(rec.BalAmt),
                            number(rec.BalPoint),      BoundText(rec.IssueDept),   BoundText(rec.OCardNo),
                            BoundText(rec.POSID),      BoundText(rec.UserID),      BoundText(rec.UpdUserID),
                            BoundText(rec.Remark)};
  return keepRowNumber(date.bad ? Fetched<QVariant>(*date.bad) : insertRow(cnn, QStringLiteral("Tolva"), columns, values),
                       rec.RNo, ErrorLabel());
}

bool InsertBlacklistRow(BlacklistRow& rec, Connection& cnn) {
  return keepRowNumber(insertRow(cnn, QStringLiteral("VoidCard"), {QStringLiteral("CardNo"), QStringLiteral("Remark")},
                                 {BoundText(rec.CardNo), BoundText(rec.Remark)}, false),
                       rec.RNo, ErrorLabel());
}
