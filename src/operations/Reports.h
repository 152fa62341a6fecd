#pragma once
// What the report windows list: each call fetches one report's rows for its conditions.
#include "ledger/ActivityLogQuery.h"
#include "ledger/AgingReports.h"
#include "ledger/CardCodes.h"
#include "ledger/ReportQueries.h"
#include "ledger/RollForward.h"
#include "core/Fetched.h"
#include "operations/OperationContext.h"

#include <QList>
#include <QMap>
#include <QStringList>

// The issuing rows of the filter, oldest first.
Fetched<QList<IssueCardRow>> IssuedCards(const OperationContext& ctx, const ReportFilter& filter);
// The store names by code.
Fetched<QMap<QString, QString>> StoreNamesByCode(const OperationContext& ctx);

// The transaction detail reports. A sale moves nothing on its own row: the sales report lists
// the value the card held when it was sold.
enum class DetailReport { TopUp, Deduct, Sale };
Fetched<QList<TxnDetailRow>> TransactionDetails(const OperationContext& ctx, DetailReport report,
                                                const ReportFilter& filter);
// The description of a transaction type, empty when it has none.
QString TransactionTypeDescription(const QString& type);

// The outstanding liability at the end of `day`.
Fetched<Liability> LiabilityOn(const OperationContext& ctx, const QDate& day);
// The accountants' reports: the liability's roll-forward over the days `from` to `to` (of one
// issuing store, or all), and the dormancy, expiry and redemption of the cards seen on `day`.
Fetched<RollForward> RollForwardOf(const OperationContext& ctx, const QDate& from, const QDate& to, const QString& store);
Fetched<Dormancy> DormancyOn(const OperationContext& ctx, const QDate& day, int listed);
Fetched<Expiry> ExpiryOn(const OperationContext& ctx, const QDate& day);
Fetched<QList<RedemptionMonth>> RedemptionOn(const OperationContext& ctx, const QDate& day);

// The cards whose master row and journal or blacklist disagree.
Fetched<QList<ReconcileRow>> Disagreements(const OperationContext& ctx);

// A page of the application log rows of the filter, newest first, in kApLogHeadings order: up
// to `size` rows after the row numbered `after` (none: from the newest).
Fetched<ActivityLogPage> ActivityLogRows(const OperationContext& ctx, const ActivityLogFilter& filter,
                                         std::optional<qint64> after, int size);
// Every application log row of the filter in the same order, a page at a time; `row` answers
// false to stop.
Done ForEachActivityLogRow(const OperationContext& ctx, const ActivityLogFilter& filter,
                           const std::function<bool(const QStringList&)>& row);
// The log's actions with their descriptions, for the action picker.
Fetched<QList<QStringList>> ActivityActions(const OperationContext& ctx);
// The description of an action, empty when it has none.
QString ActivityDescription(const QString& action);
