#include "operations/StoreSettings.h"

#include "db/Connection.h"
#include "operations/ActivityLog.h"

namespace {

const QString kAction = QStringLiteral("部門設定");

QString describe(const StoreRow& r) {
  return r.id + QLatin1Char(' ') + r.name + QStringLiteral(" 順序:") + QString::number(r.listNo);
}

}  // namespace

Fetched<QList<QStringList>> StoresToPick(const OperationContext& ctx) {
  return Attempt([&] { return StorePickRows(ctx.db); });
}

Fetched<QList<QStringList>> StoreList(const OperationContext& ctx) {
  return Attempt([&] { return StoreListRows(ctx.db); });
}

Fetched<std::optional<QString>> FindStore(const OperationContext& ctx, const QString& code) {
  return Attempt([&]() -> std::optional<QString> {
    QString name;
    if (!StoreExists(ctx.db, code, &name)) return std::nullopt;
    return name;
  });
}

Fetched<QString> NewStoreCodeProblem(const OperationContext& ctx, const QString& code) {
  return Attempt([&] {
    QString problem = StoreCodeProblem(code);
    if (problem.isEmpty() && StoreExists(ctx.db, code)) problem = QStringLiteral("店代號重複");
    return problem;
  });
}

Fetched<Outcome> SaveStore(const OperationContext& ctx, const StoreRow& typed, const QString& listNo, bool adding) {
  return Attempt([&] {
    StoreRow row{typed.id.trimmed(), typed.name.trimmed(), 0};
    row.listNo = listNo.trimmed().isEmpty() ? NextListNo(ctx.db) : listNo.trimmed().toInt();
    if (adding) {
      InsertStore(ctx.db, row);
      LogActivity(kAction, QStringLiteral("新增 ") + describe(row));
    } else {
      if (UpdateStore(ctx.db, row) == 0) return Outcome::Refused(QStringLiteral("無此店代號"));
      LogActivity(kAction, QStringLiteral("修改 ") + describe(row));
    }
    return Outcome::Done();
  });
}

Fetched<Outcome> RemoveStore(const OperationContext& ctx, const QString& code, const QString& logText) {
  return Attempt([&] {
    TransactionGuard tx(ctx.db);
    if (StoreInUse(ctx.db, code)) {
      tx.rollback();
      return Outcome::Refused(QStringLiteral("此店已有卡片或交易資料，不可刪除"));
    }
    const int removed = DeleteStore(ctx.db, code);
    tx.commit();
    if (removed > 0) LogActivity(kAction, logText);
    return Outcome::Done(removed > 0 ? QStringLiteral("刪除完成") : QStringLiteral("無此店代號"));
  });
}
