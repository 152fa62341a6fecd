#include "ledger/Balances.h"

#include "core/ErrorReport.h"
#include "db/Connection.h"

#include <QDateTime>

bool PostToMaster(Connection& db, const MasterPosting& p, QString& msg) {
  try {
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
    if (db.execute(sql + QStringLiteral(" WHERE CardNo = ?"), values) == 0) {
      msg = QStringLiteral("資料庫中無此卡號");
      return false;
    }
    return true;
  } catch (...) {
    ReportError(QStringLiteral("PostToMaster"));
    msg = QStringLiteral("Tolva資料更新失敗");
    return false;
  }
}

bool SetGoodThru(Connection& db, const QString& cardNo, const QDate& goodThru, const QString& operatorId) {
  const QString sql = QStringLiteral("UPDATE Tolva SET GoodThru = ?, UpdUserID = ?, UpdDate = %1 WHERE CardNo = ?")
                          .arg(db.dialect().nowFunc());
  return db.execute(sql, {db.dialect().dayValue(goodThru), operatorId, cardNo}) > 0;
}
