#include "ledger/CardStatus.h"

#include "db/Connection.h"
#include "ledger/CardCodes.h"

bool CardExists(Connection& db, const QString& cardNo) {
  return db.scalar(QStringLiteral("SELECT COUNT(*) FROM Tolva WHERE CardNo = ?"), {cardNo}).toInt() > 0;
}

bool MarkCardErased(Connection& db, const QString& cardNo, const QString& reason) {
  return db.execute(QStringLiteral("UPDATE Tolva SET Status = ?, Remark = ? WHERE CardNo = ?"),
                    {CardStatus::Erased, reason, cardNo}) > 0;
}

bool MarkCardBlacklisted(Connection& db, const QString& cardNo, const QString& reason) {
  // The status is checked by the update itself.
  return db.execute(QStringLiteral("UPDATE Tolva SET Status = ?, Remark = ? WHERE CardNo = ? "
                                   "AND COALESCE(Status, '') <> ?"),
                    {CardStatus::Blacklisted, reason, cardNo, CardStatus::Blacklisted}) > 0;
}
