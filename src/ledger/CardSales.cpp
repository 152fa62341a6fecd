#include "ledger/CardSales.h"

#include "db/Connection.h"
#include "ledger/CardCodes.h"

#include <QSqlQuery>

Fetched<QString> SaleRefusal(Connection& db, const QString& cardNo) {
  Fetched<QSqlQuery> q = db.query(QStringLiteral("SELECT Status FROM Tolva WHERE CardNo = ?"), {cardNo});
  if (!q) return q.failure;
  if (!q->next()) return QStringLiteral("資料庫中無此卡號");
  const QString status = q->value(0).toString().trimmed();
  if (status == CardStatus::Sold || status == CardStatus::Reissued) return QStringLiteral("此卡已售出");
  if (status == CardStatus::Erased) return QStringLiteral("此卡已被清除");
  // A card marked blacklisted in the master row is refused even if the list misses it.
  if (status == CardStatus::Blacklisted) return QStringLiteral("此張卡片已列入黑名單中");
  return QString();
}

Fetched<bool> MarkCardSold(Connection& db, const QString& cardNo, const QString& operatorId, const std::optional<QDate>& lastDate) {
  const QString now = db.dialect().nowFunc();
  QString sql = QStringLiteral("UPDATE Tolva SET Status = ?, FirstDate = %1, UPDUserID = ?, UPDDate = %1").arg(now);
  QVariantList values{CardStatus::Sold, operatorId};
  if (lastDate) {
    sql += QStringLiteral(", LastDate = ?");
    values << db.dialect().dayValue(*lastDate);
  }
  values << cardNo;
  return AnyRowChanged(db.execute(sql + QStringLiteral(" WHERE CardNo = ?"), values));
}
