#include "operations/StoreSettings.h"

#include "db/Connection.h"
#include "operations/ActivityLog.h"

namespace {

const QString kAction = QStringLiteral("部門設定");

QString describe(const StoreRow& r) {
  return r.id + QLatin1Char(' ') + r.name + QStringLiteral(" 順序:") + QString::number(r.listNo);
}

}  // namespace

Fetched<QList<QStringList>> StoresToPick(const OperationContext& ctx) { return StorePickRows(ctx.db); }

Fetched<QList<QStringList>> StoreList(const OperationContext& ctx) { return StoreListRows(ctx.db); }

Fetched<std::optional<QString>> FindStore(const OperationContext& ctx, const QString& code) {
  QString name;
  const Fetched<bool> found = StoreExists(ctx.db, code, &name);
  if (!found.ok()) return found.failure;
  return *found ? std::optional<QString>(name) : std::nullopt;
}

Fetched<QString> NewStoreCodeProblem(const OperationContext& ctx, const QString& code) {
  const QString problem = StoreCodeProblem(code);
  if (!problem.isEmpty()) return problem;
  const Fetched<bool> taken = StoreExists(ctx.db, code);
  if (!taken.ok()) return taken.failure;
  return *taken ? QStringLiteral("店代號重複") : QString();
}

Fetched<Outcome> SaveStore(const OperationContext& ctx, const StoreRow& typed, const QString& listNo, bool adding) {
  StoreRow row{typed.id.trimmed(), typed.name.trimmed(), 0};
  if (listNo.trimmed().isEmpty()) {
    const Fetched<int> next = NextListNo(ctx.db);
    if (!next) return next.failure;
    row.listNo = *next;
  } else {
    row.listNo = listNo.trimmed().toInt();
  }
  if (adding) {
    if (const Done added = InsertStore(ctx.db, row); !added) return added.failure();
    LogActivity(kAction, QStringLiteral("新增 ") + describe(row));
  } else {
    const Fetched<int> changed = UpdateStore(ctx.db, row);
    if (!changed) return changed.failure;
    if (*changed == 0) return Outcome::Refused(QStringLiteral("無此店代號"));
    LogActivity(kAction, QStringLiteral("修改 ") + describe(row));
  }
  return Outcome::Done();
}

Fetched<Outcome> RemoveStore(const OperationContext& ctx, const QString& code, const QString& logText) {
  TransactionGuard tx(ctx.db);
  if (!tx.begun()) return tx.begun().failure();
  const Fetched<bool> inUse = StoreInUse(ctx.db, code);
  if (!inUse.ok()) return inUse.failure;
  if (*inUse) return Outcome::Refused(QStringLiteral("此店已有卡片或交易資料，不可刪除"));
  const Fetched<int> removed = DeleteStore(ctx.db, code);
  if (!removed) return removed.failure;
  if (const Done committed = tx.commit(); !committed) return committed.failure();
  if (*removed > 0) LogActivity(kAction, logText);
  return Outcome::Done(*removed > 0 ? QStringLiteral("刪除完成") : QStringLiteral("無此店代號"));
}
