#include "operations/CardAgainstRecord.h"

#include "core/Dates.h"
#include "core/Money.h"

#include <QDate>
#include <QStringList>
#include <optional>

namespace {

std::optional<QDate> dayOf(const QVariant& v) {
  const auto dt = ToDateTime(v);
  if (!dt) return std::nullopt;
  return dt->date();
}

bool sameNumber(const QString& card, const QVariant& db) {
  const auto value = Money::parse(card);
  return value && *value == Money::fromVariant(db);
}

}  // namespace

bool CardDiffersFromRecord(const CardImage& card, const CardQuery& db) {
  if (dayOf(card.goodThru) != dayOf(db.goodThru)) return true;
  if (!sameNumber(card.balAmt, db.balAmt) || !sameNumber(card.balPoint, db.balPoint)) return true;
  // The stripe pads its fields with blanks.
  return card.batchNo.trimmed() != db.batchNo.trimmed() || card.storeNo.trimmed() != db.issueDept.trimmed();
}

QString CardDifferenceText(const CardImage& card) {
  return QStringList{QStringLiteral("卡片資料與資料庫不同"),
                     QStringLiteral("批次號:") + card.batchNo.trimmed(),
                     QStringLiteral("發卡部門:") + card.storeNo.trimmed(),
                     QStringLiteral("有效期限:") + card.goodThru.toString().trimmed(),
                     QStringLiteral("可用餘額:") + card.balAmt.trimmed(),
                     QStringLiteral("紅利點數:") + card.balPoint.trimmed()}
      .join(QLatin1Char('\n'));
}
