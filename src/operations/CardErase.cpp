#include "operations/CardErase.h"

#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "db/Parameters.h"
#include "ledger/CardCodes.h"
#include "ledger/CardRows.h"
#include "ledger/CardStatus.h"

namespace {

bool checkCard(const QString& cardNo, const CardRead& card, QString& msg) {
  // A demagnetised card reads as no record and is erased; a readable one must be the card typed.
  if (!card.valid) return true;
  const QString onCard = card.image.cardNo.trimmed();
  if (onCard.compare(cardNo, Qt::CaseInsensitive) == 0) return true;
  msg = QStringLiteral("卡號不符，卡片上的卡號：") + onCard;
  return false;
}

bool eraseRows(const OperationContext& ctx, const QString& cardNo, const QString& reason,
               std::optional<CardImage>& next, QString& msg) {
  const Fetched<bool> marked = MarkCardErased(ctx.db, cardNo, reason);
  if (!marked.ok()) {
    LogError(QStringLiteral("EraseCard"), marked.failure);
    return false;
  }
  if (!*marked) {
    msg = QStringLiteral("資料庫內無此卡號");
    return false;
  }
  JournalRow rec;
  rec.TxnDept = ctx.storeId;
  rec.TxnType = TxnType::Erase;
  rec.CardNo = cardNo;
  rec.TxnDate = Today();
  rec.TxnAmt = QStringLiteral("0");
  rec.TxnPoint = QStringLiteral("0");
  rec.POSID = ctx.workstation;
  rec.UserID = ctx.operatorId;
  rec.Remark = QStringLiteral("");
  if (!InsertJournalRow(rec, ctx.db)) {
    msg = QStringLiteral("資料庫更新失敗");
    return false;
  }
  next = CardImage::Wiped(cardNo);
  return true;
}

}  // namespace

void LogEraseRefused(const QString& text) { WriteActivityLog(TheSettings().appName, ApAction::Erase, text, kApRefusedRemark); }

CardOutcome EraseCard(const OperationContext& ctx, const QString& cardNo, const QString& reason) {
  const auto logFailure = [&cardNo](const QString& m) {
    return m.contains(cardNo) ? m : m + QStringLiteral("，卡號：") + cardNo;
  };
  // An unknown number is refused before the operator is asked for a card.
  const Fetched<bool> known = CardExists(ctx.db, cardNo);
  if (!known.ok()) {
    LogErrorToShow(QStringLiteral("EraseCard"), known.failure);
    CardOutcome out;
    out.message = kDatabaseErrorText;
    return out;
  }
  if (!*known) {
    CardOutcome out;
    out.message = QStringLiteral("資料庫內無此卡號");
    out.refused = true;
    LogEraseRefused(logFailure(out.message));
    return out;
  }
  CardOperation op(ctx.db, QStringLiteral("EraseCard"), ApAction::Erase);
  op.requireRecord = false;
  op.acceptUnreadable = true;
  op.check = [&cardNo](const CardRead& card, QString& m) { return checkCard(cardNo, card, m); };
  bool rowsFailed = false;
  op.rows = [&](const CardRead&, std::optional<CardImage>& next, QString& m) {
    rowsFailed = !eraseRows(ctx, cardNo, reason, next, m);
    return !rowsFailed;
  };
  op.successText = [&cardNo](const CardRead&) { return QStringLiteral("卡號：") + cardNo; };
  op.successRemark = reason;
  op.failureText = [&logFailure](const CardRead&, const QString& m) { return logFailure(m); };
  QString msg;
  const bool ok = op.run(msg);
  CardOutcome out = CardOutcome::Of(op, ok, msg);
  out.rowsFailed = rowsFailed;
  return out;
}
