#include "ledger/Balances.h"

#include "core/ErrorReport.h"
#include "db/Connection.h"

#include <QDateTime>
#include <QSqlQuery>

bool PostToMaster(Connection& db, const MasterPosting& p, QString& msg) {
  const Dialect& d = db.dialect();
  QString sql = QStringLiteral("UPDATE Tolva SET BalAmt = BalAmt + ?, BalPoint = BalPoint + ?, LastDate = ?, "
                               "UPDUserID = ?, UPDDate = %1")
                    .arg(d.nowFunc());
  QVariantList values{p.amount.toString(), p.points.toString(), d.dayValue(p.day),
                      p.operatorId};
  if (p.goodThru) {
    sql += QStringLiteral(", GoodThru = ?");
    values << d.dayValue(*p.goodThru);
  }
  values << p.cardNo;
  const Fetched<int> changed = db.execute(sql + QStringLiteral(" WHERE CardNo = ?"), values);
  if (!changed) {
    LogErrorToShow(ErrorLabel(), changed.failure);
    msg = QStringLiteral("Tolva資料更新失敗");
    return false;
  }
  if (*changed == 0) {
    msg = QStringLiteral("資料庫中無此卡號");
    return false;
  }
  return true;
}

Fetched<bool> SetGoodThru(Connection& db, const QString& cardNo, const QDate& goodThru, const QString& operatorId) {
  const QString sql = QStringLiteral("UPDATE Tolva SET GoodThru = ?, UpdUserID = ?, UpdDate = %1 WHERE CardNo = ?")
                          .arg(db.dialect().nowFunc());
  return AnyRowChanged(db.execute(sql, {db.dialect().dayValue(goodThru), operatorId, cardNo}));
}

Done ReversibleLeft(Connection& db, const QString& cardNo, const QString& type, const QString& reversalType,
                    Money& amount, Money& points) {
  Money sums[2][2];
  const Done read = ForEachRow(db, QStringLiteral("SELECT TxnType, SUM(TxnAmt), SUM(TxnPoint) FROM TolvaLog "
                                                  "WHERE CardNo = ? AND TxnType IN (?, ?) GROUP BY TxnType"),
                               {cardNo.trimmed(), type, reversalType}, [&](const QSqlQuery& q) {
                                 const int row = q.value(0).toString().trimmed() == type ? 0 : 1;
                                 sums[row][0] = Money::fromVariant(q.value(1));
                                 sums[row][1] = Money::fromVariant(q.value(2));
                               });
  if (!read) return read;
  const auto abs = [](Money m) { return m < Money() ? -m : m; };
  amount = abs(sums[0][0]) - abs(sums[1][0]);
  points = abs(sums[0][1]) - abs(sums[1][1]);
  return {};
}
