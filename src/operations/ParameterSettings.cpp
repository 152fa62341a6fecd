#include "operations/ParameterSettings.h"

#include "core/Settings.h"
#include "db/Connection.h"
#include "db/Parameters.h"
#include "device/CardKey.h"
#include "operations/ActivityLog.h"

namespace {
const QString kCardKeyParam = QStringLiteral("BatchKey");
}  // namespace

QString ParameterText(const QString& paramID) {
  QString value;
  return ReadParamValue(paramID, value) ? value : QString();
}

Fetched<bool> SaveParameters(const OperationContext& ctx, const QString& storeID, const QString& balAmtLimit,
                             const QString& pointRate) {
  TransactionGuard tx(ctx.db);
  if (!tx.begun()) return tx.begun().failure();
  if (!SetParamValue(QStringLiteral("StoreID"), storeID) || !SetParamValue(kBalAmtLimitParam, balAmtLimit) ||
      !SetParamValue(kPointRateParam, pointRate)) {
    return false;
  }
  if (const Done committed = tx.commit(); !committed) return committed.failure();
  return true;
}

Fetched<bool> OtherCardKeyStored(const OperationContext& ctx, const QString& key) {
  // The table says whether cards are written under a key, not TheSettings().batchKey: a start-up that failed
  // to read the key leaves TheSettings().batchKey empty while every card in circulation still uses it.
  const Fetched<QString> stored = StoredParamValue(ctx.db, kCardKeyParam);
  if (!stored) return stored.failure;
  const QString hex = stored->trimmed();
  return !hex.isEmpty() && BatchKeyFromStored(hex) != key;
}

Outcome SaveCardKey(const OperationContext&, const QString& key) {
  if (!SetParamValue(kCardKeyParam, BatchKeyToStored(key))) return Outcome::Refused(QStringLiteral("存檔失敗"));
  EditSettings().batchKey = key;
  LogActivity(ApAction::ChangeKey, QStringLiteral("變更Tolva資料加密碼"));
  return Outcome::Done(QStringLiteral("加密碼設定完成"));
}
