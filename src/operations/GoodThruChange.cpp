#include "operations/GoodThruChange.h"

#include "core/Clock.h"
#include "core/Dates.h"
#include "core/Money.h"
#include "ledger/Balances.h"
#include "ledger/CardCodes.h"
#include "ledger/CardRows.h"

#include <QDate>

namespace {

const QString kLabel = QStringLiteral("ChangeGoodThru");

const QString kDateForm = QStringLiteral("yyyy/MM/dd");

bool checkCard(const CardRead& card, const std::function<void(const CardImage&)>& onCardRead, QString& msg) {
  const CardImage& c = card.image;
  // Values that do not read as values (a card written under another key) are not rewritten.
  if (!ToDateTime(c.goodThru) || !Money::parse(c.balAmt) || !Money::parse(c.balPoint)) {
    msg = QStringLiteral("卡片資料有誤");
    return false;
  }
  if (onCardRead) onCardRead(c);
  return true;
}

bool writeRows(const OperationContext& ctx, const CardRead& card, const QString& newDate, const QString& freeText,
               std::optional<CardImage>& next, QString& remark, QString& msg) {
  const QString cardNo = card.image.cardNo.trimmed();
  const Fetched<bool> set = SetGoodThru(ctx.db, cardNo, QDate::fromString(newDate, kDateForm), ctx.operatorId);
  if (!set.ok()) return StepFailed(kLabel, set.failure);
  if (!*set) {
    msg = QStringLiteral("Tolva主檔無卡號，卡號:") + cardNo;
    return false;
  }
  JournalRow rec;
  rec.TxnDept = ctx.storeId;
  rec.TxnType = TxnType::GoodThruChange;
  rec.CardNo = cardNo;
  rec.TxnDate = Today();
  rec.TxnAmt = 0;
  rec.TxnPoint = 0;
  rec.RefCheckNo = QString();
  rec.POSID = ctx.workstation;
  rec.UserID = ctx.operatorId;
  remark = ToDateTime(card.image.goodThru)->date().toString(kDateForm) + QLatin1Char('-') + newDate;
  rec.Remark = remark;
  if (!InsertJournalRow(rec, ctx.db)) {
    msg = QStringLiteral("Tolva記錄新增失敗，卡號:") + cardNo;
    return false;
  }
  next = CardImage{card.image.cardNo, card.image.storeNo, card.image.batchNo, newDate, card.image.balAmt,
                   card.image.balPoint, freeText, std::nullopt, std::nullopt};
  return true;
}

}  // namespace

CardOutcome ChangeGoodThru(const OperationContext& ctx, const QString& newDate, const QString& faceText,
                           const std::function<void(const CardImage&)>& onCardRead) {
  QString remark;
  CardOperation op(ctx.db, kLabel, ApAction::ChangeGoodThru);
  op.logWhenCancelled = false;  // the operator's way of ending the run
  op.check = [&](const CardRead& card, QString& m) { return checkCard(card, onCardRead, m); };
  op.rows = [&](const CardRead& card, std::optional<CardImage>& next, QString& m) {
    return writeRows(ctx, card, newDate, faceText, next, remark, m);
  };
  op.successText = [&remark](const CardRead& card) {
    return QStringLiteral("卡號：") + card.image.cardNo.trimmed() + QStringLiteral("，有效日期：") + remark;
  };
  op.failureText = [](const CardRead& card, const QString& m) { return WithCardNo(m, card); };
  QString msg;
  const bool ok = op.run(msg);
  CardOutcome out = CardOutcome::Of(op, ok, msg);
  if (ok) out.detail = remark;
  return out;
}
