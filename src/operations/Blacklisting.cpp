#include "operations/Blacklisting.h"

#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/Parameters.h"
#include "ledger/CardCodes.h"
#include "ledger/CardRows.h"
#include "ledger/CardStatus.h"

const QString kAlreadyBlacklisted = QStringLiteral("此卡號已設為黑名單");
const QString kNoSuchCardNumber = QStringLiteral("資料庫無此卡號");

namespace {

// False with the reason when the card cannot be listed; the failure of a statement that broke.
Fetched<bool> writeRows(const OperationContext& ctx, const QString& cardNo, const QString& remark, QString& msg) {
  const Fetched<bool> marked = MarkCardBlacklisted(ctx.db, cardNo, remark);
  if (!marked.ok()) return marked;
  if (!*marked) {
    const Fetched<bool> known = CardExists(ctx.db, cardNo);
    if (!known.ok()) return known;
    msg = *known ? kAlreadyBlacklisted : kNoSuchCardNumber;
    return false;
  }
  BlacklistRow black;
  black.CardNo = cardNo;
  black.Remark = remark;
  if (!InsertBlacklistRow(black, ctx.db)) {
    msg = QStringLiteral("黑名單寫入失敗");
    return false;
  }
  JournalRow txn;
  txn.TxnDept = ctx.storeId;
  txn.TxnType = TxnType::Blacklist;
  txn.CardNo = cardNo;
  txn.TxnDate = Today();
  txn.POSID = ctx.workstation;
  txn.UserID = ctx.operatorId;
  txn.Remark = remark;
  if (!InsertJournalRow(txn, ctx.db)) {
    msg = QStringLiteral("Tolva記錄檔寫入失敗");
    return false;
  }
  return true;
}

}  // namespace

bool IsBlacklistedStatus(const QString& status) { return status == CardStatus::Blacklisted; }

void LogBlacklistRefused(const QString& text) { WriteActivityLog(TheSettings().appName, ApAction::Blacklist, text, kApRefusedRemark); }

Outcome BlacklistCard(const OperationContext& ctx, const QString& cardNo, const QString& remark) {
  Outcome out;
  // An empty reason is stored as an empty text, not as a missing one.
  const QString reason = remark.isNull() ? QStringLiteral("") : remark;
  const Done written = [&]() -> Done {
    TransactionGuard trans(ctx.db);
    if (!trans.begun()) return trans.begun();
    const Fetched<bool> rows = writeRows(ctx, cardNo, reason, out.message);
    if (!rows.ok()) return rows.failure;
    if (!*rows) return {};
    const Done committed = trans.commit();
    out.ok = bool(committed);
    return committed;
  }();
  if (!written) {
    // The guard has rolled back by now, so the report's box does not hold the transaction open.
    LogErrorToShow(QStringLiteral("BlacklistCard"), written.failure());
    if (out.message.isEmpty()) out.message = QStringLiteral("資料庫存檔錯誤");
  }
  if (out.ok) {
    WriteActivityLog(TheSettings().appName, ApAction::Blacklist, QStringLiteral("卡號：") + cardNo + QStringLiteral("，原因：") + reason,
               QStringLiteral(""));
  } else {
    // A number that is unknown or blacklisted already is the operator's to correct.
    const bool refused = out.message == kAlreadyBlacklisted || out.message == kNoSuchCardNumber;
    WriteActivityLog(TheSettings().appName, ApAction::Blacklist, out.message + QStringLiteral("，卡號：") + cardNo,
               refused ? kApRefusedRemark : kApFailRemark);
  }
  return out;
}
