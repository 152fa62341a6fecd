#include "operations/CardSale.h"

#include "core/Clock.h"
#include "operations/CardOperation.h"
#include "operations/CounterOperations.h"
#include "ledger/CardCodes.h"
#include "ledger/CardRows.h"
#include "ledger/CardSales.h"

namespace {

const QString kLabel = QStringLiteral("SellIssuedCard");

bool checkSale(const OperationContext& ctx, const CardRead& card, QString& msg) {
  const QString cardNo = card.image.cardNo.trimmed();
  if (!GoodThruValid(card.image.goodThru.toString(), msg)) return false;
  const Fetched<QString> refusal = SaleRefusal(ctx.db, cardNo);
  if (!refusal) return StepFailed(kLabel, refusal.failure);
  msg = *refusal;
  return msg.isEmpty() && CheckVoidCard(cardNo, msg);
}

bool sellRows(const OperationContext& ctx, const CardRead& card, const QString& refNo, QString& msg) {
  const QString cardNo = card.image.cardNo.trimmed();
  const Fetched<bool> sold = MarkCardSold(ctx.db, cardNo, ctx.operatorId);
  if (!sold.ok()) return StepFailed(kLabel, sold.failure);
  if (!*sold) {
    msg = QStringLiteral("資料庫無此卡號");
    return false;
  }
  JournalRow rec;
  rec.TxnDept = card.image.storeNo.trimmed();
  rec.TxnType = TxnType::Sale;
  rec.CardNo = cardNo;
  rec.TxnDate = Today().toString(QStringLiteral("yyyy/MM/dd"));
  rec.RefCheckNo = refNo;
  rec.POSID = ctx.workstation;
  rec.UserID = ctx.operatorId;
  rec.Remark = QString();
  if (!InsertJournalRow(rec, ctx.db)) {
    msg = QStringLiteral("Tolva記錄檔寫入失敗");
    return false;
  }
  return true;
}

}  // namespace

CardOutcome SellIssuedCard(const OperationContext& ctx, const QString& typedRefNo) {
  const QString refNo = typedRefNo.trimmed();
  CardOperation op(ctx.db, kLabel, ApAction::Sale);
  op.logWhenCancelled = false;  // the operator's way of ending the run
  op.check = [&](const CardRead& card, QString& m) { return checkSale(ctx, card, m); };
  op.rows = [&](const CardRead& card, std::optional<CardImage>&, QString& m) {
    return sellRows(ctx, card, typedRefNo, m);
  };
  op.successText = [&refNo](const CardRead& card) {
    return QStringLiteral("卡號：") + card.image.cardNo.trimmed() + QStringLiteral("，帳單號：") + refNo;
  };
  QString msg;
  const bool ok = op.run(msg);
  return CardOutcome::Of(op, ok, msg);
}
