#include "ledger/CardRows.h"

#include "core/ErrorReport.h"
#include "core/Money.h"
#include "db/Connection.h"
#include "db/Database.h"

#include <QStringList>

namespace {

// Inserts one row with every value bound and answers the key this connection generated (never
// another session's). The card and journal rows are stamped with the database's now (FileDate).
QVariant insertRow(Connection& cnn, const QString& table, QStringList columns, const QVariantList& values,
                   bool stamped = true) {
  QStringList marks(columns.size(), QStringLiteral("?"));
  if (stamped) {
    columns << QStringLiteral("FileDate");
    marks << cnn.dialect().nowFunc();
  }
  const QString sql = QStringLiteral("INSERT INTO %1 ( %2 ) VALUES ( %3 )")
                          .arg(table, columns.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
  cnn.execute(sql, values);
  const QVariant id = cnn.lastInsertId();
  if (!id.isValid() || id.isNull()) {
    throw TolvaError(QStringLiteral("-1"), QStringLiteral("No generated row number after: ") + sql);
  }
  return id.toLongLong();
}

// An amount or point value: the exact decimal of its text, 0 when empty.
QVariant number(const QVariant& value) { return Money::fromVariant(value).toString(); }

}  // namespace

bool InsertJournalRow(JournalRow& rec, Connection& cnn) {
  try {
    const Dialect& d = cnn.dialect();
    const QStringList columns{QStringLiteral("TxnDept"), QStringLiteral("TxnType"),  QStringLiteral("CardNo"),
                              QStringLiteral("TxnDate"), QStringLiteral("TxnAmt"),   QStringLiteral("TxnPoint"),
                              QStringLiteral("RefCheckNo"), QStringLiteral("POSID"), QStringLiteral("UserID"),
                              QStringLiteral("Remark")};
    const QVariantList values{BoundText(rec.TxnDept), BoundText(rec.TxnType),    BoundText(rec.CardNo),
                              BoundDate(rec.TxnDate, d), number(rec.TxnAmt),     number(rec.TxnPoint),
                              BoundText(rec.RefCheckNo), BoundText(rec.POSID),   BoundText(rec.UserID),
                              BoundText(rec.Remark)};
    rec.RNo = insertRow(cnn, QStringLiteral("TolvaLog"), columns, values);
    return true;
  } catch (...) {
    LogErrorToShow(ErrorLabel());
    return false;
  }
}

bool InsertCard(CardRow& rec, Connection& cnn) {
  try {
    const Dialect& d = cnn.dialect();
    const QStringList columns{QStringLiteral("BatchNo"),   QStringLiteral("CardType"),  QStringLiteral("CardNo"),
                              QStringLiteral("Status"),    QStringLiteral("IssueDate"), QStringLiteral("FirstDate"),
                              QStringLiteral("LastDate"),  QStringLiteral("GoodThru"),  QStringLiteral("BalAmt"),
                              QStringLiteral("BalPoint"),  QStringLiteral("IssueDept"), QStringLiteral("OCardNo"),
                              QStringLiteral("POSID"),     QStringLiteral("UserID"),    QStringLiteral("UpdUserID"),
                              QStringLiteral("Remark")};
    const QVariantList values{BoundText(rec.BatchNo),    BoundText(rec.CardType),    BoundText(rec.CardNo),
                              BoundText(rec.Status),     BoundDate(rec.IssueDate, d), BoundDate(rec.FirstDate, d),
                              BoundDate(rec.LastDate, d), BoundDate(rec.GoodThru, d), number(rec.BalAmt),
                              number(rec.BalPoint),      BoundText(rec.IssueDept),   BoundText(rec.OCardNo),
                              BoundText(rec.POSID),      BoundText(rec.UserID),      BoundText(rec.UpdUserID),
                              BoundText(rec.Remark)};
    rec.RNo = insertRow(cnn, QStringLiteral("Tolva"), columns, values);
    return true;
  } catch (...) {
    LogErrorToShow(ErrorLabel());
    return false;
  }
}

bool InsertBlacklistRow(BlacklistRow& rec, Connection& cnn) {
  try {
    rec.RNo = insertRow(cnn, QStringLiteral("VoidCard"), {QStringLiteral("CardNo"), QStringLiteral("Remark")},
                        {BoundText(rec.CardNo), BoundText(rec.Remark)}, false);
    return true;
  } catch (...) {
    LogErrorToShow(ErrorLabel());
    return false;
  }
}
