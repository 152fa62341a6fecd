#include "operations/AddValue.h"

#include "core/Clock.h"
#include "core/Dates.h"
#include "core/OperatorDialogs.h"
#include "core/Settings.h"
#include "device/CardFace.h"
#include "ledger/Balances.h"
#include "ledger/CardCodes.h"
#include "ledger/CardRows.h"
#include "db/Parameters.h"
#include "operations/CardOperation.h"
#include "operations/CounterOperations.h"

namespace {

using Refusal = AddValueOutcome::Refusal;

AddValueOutcome refuse(Refusal why, const QString& msg, const QString& remark = kApRefusedRemark) {
  WriteActivityLog(TheSettings().appName, ApAction::TopUp, msg, remark);
  AddValueOutcome out;
  out.message = msg;
  out.refusal = why;
  return out;
}

bool checkCard(const CardRead& card, const Money& amount, const std::optional<Money>& limit,
               const ShowCardRead& onCardRead, QString& msg) {
  const QString cardNo = card.image.cardNo.trimmed();
  // A balance or date that does not read as one (a card written under another key) must not
  // be taken for 0 or for a valid card.
  const auto cardBal = Money::parse(card.image.balAmt);
  const auto cardThru = ToDateTime(card.image.goodThru);
  if (!cardBal || !cardThru) {
    msg = QStringLiteral("卡片資料有誤");
    return false;
  }
  const Money newBal = *cardBal + amount;
  if (onCardRead) onCardRead(card.image, newBal);
  if (!CheckVoidCard(cardNo, msg)) return false;
  if (cardThru->date() < Today() &&
      !Dialogs().askYesNo(QStringLiteral("超出有效期限，是否要繼續加值？"), TheSettings().appName)) {
    msg = QStringLiteral("超出有效期限，未加值");
    return false;
  }
  if (newBal < Money{}) {
    msg = QStringLiteral("加值後餘額小於零");
    return false;
  }
  if (!WithinBalanceLimit(newBal, limit, msg)) return false;
  // Checked before the database is touched: a longer value would be cut on the stripe.
  if (!FitsOnCard(newBal) || !FitsOnCard(amount) || !FitsOnCard(*cardBal)) {
    msg = QStringLiteral("金額超過卡片可記錄的位數，卡號:") + cardNo;
    return false;
  }
  return true;
}

bool writeRows(const OperationContext& ctx, const CardRead& card, const Money& amount, const QString& freeText,
               std::optional<CardImage>& next, QString& msg) {
  const QString cardNo = card.image.cardNo.trimmed();
  const QDate renewed = RenewedGoodThru(Today());
  if (!PostToMaster(ctx.db, {cardNo, amount, Money(), ctx.operatorId, Today(), renewed}, msg)) {
    msg = QStringLiteral("Tolva主檔更新失敗，卡號:") + cardNo;
    return false;
  }
  JournalRow rec;
  rec.TxnDept = ctx.storeId;
  rec.TxnType = TxnType::TopUp;
  rec.CardNo = cardNo;
  rec.TxnDate = Today();
  rec.TxnAmt = amount.toString();
  rec.TxnPoint = 0;
  rec.RefCheckNo = QString();
  rec.Remark = QString();
  rec.POSID = ctx.workstation;
  rec.UserID = ctx.operatorId;
  if (!InsertJournalRow(rec, ctx.db)) {
    msg = QStringLiteral("Tolva記錄新增失敗，卡號:") + cardNo;
    return false;
  }
  const Money newBal = Money::val(card.image.balAmt) + amount;
  next = CardImage{card.image.cardNo, card.image.storeNo,   card.image.batchNo, renewed.toString(QStringLiteral("yyyy/MM/dd")),
                   newBal.toString(), card.image.balPoint, freeText,           card.image.balAmt,
                   amount.toString()};
  return true;
}

}  // namespace

std::optional<Money> CheckAddAmount(const QString& text, QString& msg) {
  const auto amount = Money::parse(text);
  if (!amount) {
    msg = NotAnAmountText(text, QStringLiteral("必需為數字"));
    return std::nullopt;
  }
  if (*amount <= Money{}) {
    msg = QStringLiteral("加值金額必需大於0");
    return std::nullopt;
  }
  // The card carries whole amounts; a fraction would leave the card and the database apart.
  if (!amount->isWhole()) {
    msg = QStringLiteral("加值金額必需為整數");
    return std::nullopt;
  }
  return amount;
}

AddValueOutcome AddValue(const OperationContext& ctx, const QString& amountText, const QString& faceText,
                         const ShowCardRead& onCardRead) {
  if (ctx.settings.batchKey.isEmpty()) return refuse(Refusal::NoCardKey, QStringLiteral("未設定資料加密碼"));
  if (amountText.trimmed().isEmpty()) return refuse(Refusal::NoAmount, QStringLiteral("請輸入加值金額"));
  QString msg;
  // Only a checked number reaches the database.
  const auto amount = CheckAddAmount(amountText, msg);
  if (!amount) return refuse(Refusal::BadAmount, msg);
  std::optional<Money> limit;
  if (!BalanceLimit(limit, msg)) return refuse(Refusal::BadParameter, msg, kApFailRemark);

  CardOperation op(ctx.db, QStringLiteral("AddValue"), ApAction::TopUp);
  op.check = [&](const CardRead& card, QString& m) { return checkCard(card, *amount, limit, onCardRead, m); };
  std::optional<CardImage> written;
  op.rows = [&](const CardRead& card, std::optional<CardImage>& next, QString& m) {
    const bool ok = writeRows(ctx, card, *amount, faceText, next, m);
    written = next;
    return ok;
  };
  op.successText = [&](const CardRead& card) {
    return QStringLiteral("卡號：") + card.image.cardNo.trimmed() + QStringLiteral("，加值金額：") + amount->toString();
  };
  op.failureText = [](const CardRead& card, const QString& m) { return WithCardNo(m, card); };
  AddValueOutcome out;
  out.ok = op.run(out.message);
  out.card = op.card();
  out.cancelled = op.cancelled();
  if (out.ok) out.written = written;
  return out;
}
