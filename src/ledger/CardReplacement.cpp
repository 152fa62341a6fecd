#include "ledger/CardReplacement.h"

#include "core/Dates.h"
#include "db/Connection.h"

#include <QSqlQuery>

Fetched<bool> LoadCardRow(Connection& db, const QString& cardNo, CardRow& rec) {
  Fetched<QSqlQuery> q = db.query(
      QStringLiteral("Select BatchNo , CardType , CardNo , Status , IssueDate , FirstDate , LastDate , GoodThru , "
                     "BalAmt , BalPoint , IssueDept , OCardNo , POSID , UserID , Remark From Tolva Where CardNo = ?"),
      {cardNo});
  if (!q) return q.failure;
  if (!q->next()) return false;
  rec = CardRow{};
  QVariant* fields[] = {&rec.BatchNo, &rec.CardType, &rec.CardNo,   &rec.Status,    &rec.IssueDate,
                        &rec.FirstDate, &rec.LastDate, &rec.GoodThru, &rec.BalAmt,    &rec.BalPoint,
                        &rec.IssueDept, &rec.OCardNo,  &rec.POSID,    &rec.UserID,    &rec.Remark};
  for (int i = 0; i < 15; ++i) *fields[i] = q->value(i);
  // Dates as dates, whatever form the driver hands them in, so the new row stores the same day.
  for (QVariant* date : {&rec.IssueDate, &rec.FirstDate, &rec.LastDate, &rec.GoodThru}) {
    const auto when = ToDateTime(*date);
    *date = when ? QVariant(when->date()) : QVariant();
  }
  return true;
}

Fetched<QString> ReplacementOf(Connection& db, const QString& oldCardNo) {
  const Fetched<QVariant> no = db.scalar(QStringLiteral("SELECT CardNo FROM Tolva WHERE OCardNo = ? ORDER BY RNo"), {oldCardNo});
  if (!no) return no.failure;
  return no->toString();
}

Done HoldCardRow(Connection& db, const QString& cardNo) {
  return Done::of(db.execute(QStringLiteral("UPDATE Tolva SET OCardNo = OCardNo WHERE CardNo = ?"), {cardNo}));
}
