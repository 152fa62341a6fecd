#include "ledger/CardStatus.h"

#include "db/Connection.h"
#include "ledger/CardCodes.h"

Fetched<bool> CardExists(Connection& db, const QString& cardNo) {
  const Fetched<QVariant> n = db.scalar(QStringLiteral("SELECT COUNT(*) FROM Tolva WHERE CardNo = ?"), {cardNo});
  if (!n) return n.failure;
  return n->toInt() > 0;
}

Fetched<bool> MarkCardErased(Connection& db, const QString& cardNo, const QString& reason) {
  return AnyRowChanged(db.execute(QStringLiteral("UPDATE Tolva SET Status = ?, Remark = ? WHERE CardNo = ?"),
                                  {CardStatus::Erased, reason, cardNo}));
}

Fetched<bool> MarkCardBlacklisted(Connection& db, const QString& cardNo, const QString& reason) {
  // The status is checked by the update itself.
  return AnyRowChanged(db.execute(QStringLiteral("UPDATE Tolva SET Status = ?, Remark = ? WHERE CardNo = ? "
                                                 "AND COALESCE(Status, '') <> ?"),
                                  {CardStatus::Blacklisted, reason, cardNo, CardStatus::Blacklisted}));
}
