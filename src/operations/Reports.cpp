#include "operations/Reports.h"

#include "db/Parameters.h"

namespace {
const QString kActionCodes = QStringLiteral("TolvaWorkingType");
}  // namespace

Fetched<QList<IssueCardRow>> IssuedCards(const OperationContext& ctx, const ReportFilter& filter) {
  return SelectIssuedCards(ctx.db, filter);
}

Fetched<QMap<QString, QString>> StoreNamesByCode(const OperationContext& ctx) {
  return StoreNames(ctx.db);
}

Fetched<QList<TxnDetailRow>> TransactionDetails(const OperationContext& ctx, DetailReport report,
                                                const ReportFilter& filter) {
  QStringList types;
  switch (report) {
    case DetailReport::TopUp: types = {TxnType::TopUp}; break;
    case DetailReport::Deduct: types = {TxnType::Deduct, TxnType::DeductPoint}; break;
    case DetailReport::Sale: types = {TxnType::Sale, TxnType::CounterSale}; break;
  }
  const DetailAmounts amounts = report == DetailReport::Sale ? DetailAmounts::CardValueBefore : DetailAmounts::Row;
  return SelectTransactionDetails(ctx.db, types, filter, amounts);
}

QString TransactionTypeDescription(const QString& type) { return CodeDescription(QStringLiteral("TolvaLogType"), type); }

Fetched<Liability> LiabilityOn(const OperationContext& ctx, const QDate& day) {
  return ComputeLiability(ctx.db, day);
}

Fetched<RollForward> RollForwardOf(const OperationContext& ctx, const QDate& from, const QDate& to, const QString& store) {
  return ComputeRollForward(ctx.db, from, to, store);
}

Fetched<Dormancy> DormancyOn(const OperationContext& ctx, const QDate& day, int listed) {
  return ComputeDormancy(ctx.db, day, listed);
}

Fetched<Expiry> ExpiryOn(const OperationContext& ctx, const QDate& day) { return ComputeExpiry(ctx.db, day); }

Fetched<QList<RedemptionMonth>> RedemptionOn(const OperationContext& ctx, const QDate& day) {
  return ComputeRedemption(ctx.db, day);
}

Fetched<QList<ReconcileRow>> Disagreements(const OperationContext& ctx) {
  return SelectDisagreements(ctx.db);
}

Fetched<ActivityLogPage> ActivityLogRows(const OperationContext& ctx, const ActivityLogFilter& filter,
                                         std::optional<qint64> after, int size) {
  return SelectActivityLogPage(ctx.db, filter, after, size);
}

Done ForEachActivityLogRow(const OperationContext& ctx, const ActivityLogFilter& filter,
                           const std::function<bool(const QStringList&)>& row) {
  return ForEachActivityLogRow(ctx.db, filter, row);
}

Fetched<QList<QStringList>> ActivityActions(const OperationContext& ctx) {
  return CodeRows(ctx.db, kActionCodes);
}

QString ActivityDescription(const QString& action) { return CodeDescription(kActionCodes, action); }
