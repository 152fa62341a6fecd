#include "operations/CardReissue.h"

#include "core/Clock.h"
#include "core/CodePage.h"
#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/Parameters.h"
#include "device/CardFace.h"
#include "ledger/CardCodes.h"
#include "ledger/CardReplacement.h"
#include "ledger/CardRows.h"
#include "ledger/Stores.h"
#include "operations/CardOperation.h"

namespace {

const QString kLabel = QStringLiteral("ReissueCard");

// The stripe holds seven bytes of card number; a longer number would be cut on the card.
constexpr int kStripeCardNoBytes = 7;

// Only a card taken back (erased or blacklisted) can be replaced.
bool IsTakenBack(const QVariant& status) {
  const QString s = status.toString();
  return s.startsWith(QLatin1Char('8')) || s.startsWith(QLatin1Char('9'));
}

bool IsExpired(const QVariant& goodThru) {
  const auto when = ToDateTime(goodThru);
  return when && when->date() < Today();
}

QString ReplacedText(const QString& newCardNo) {
  return QStringLiteral("此卡已補發過，新卡卡號：") + newCardNo;
}

QString StatusDscp(const QVariant& status) {
  QString dscp;
  return CodeDescription(QStringLiteral("TolvaStatus"), status.toString(), dscp) ? dscp : status.toString();
}

constexpr int kMaxRemark = 3;

QString numberText(const QVariant& value) { return Money::fromVariant(value).toString(); }

// The end step of a run stopped by a check: the card's values, no remark.
void logRecord(const CardRow& card) {
  WriteActivityLog(TheSettings().appName, ApAction::Reissue,
             QStringLiteral("卡號:") + card.CardNo.toString() + QStringLiteral("，可用餘額:") +
                 CardValueText(card.BalAmt) + QStringLiteral("，可用點數:") + CardValueText(card.BalPoint));
}

// False with the reason when the old card may not be replaced.
Fetched<bool> checkOldCard(Connection& db, const CardRow& old, QString& msg) {
  if (IsExpired(old.GoodThru)) {
    msg = QStringLiteral("超過有效日期，不可再補發卡");
  } else if (!IsTakenBack(old.Status)) {
    // The operator is told why: the card is still in use, and which status it has.
    msg = QStringLiteral("不可補發卡（此卡狀態為") + old.Status.toString() + QLatin1Char(' ') + StatusDscp(old.Status) +
          QStringLiteral("，只有已清除或黑名單的卡片可補發）");
  } else {
    // An old card is replaced once: a second new card would carry the same value again.
    const Fetched<QString> replacement = ReplacementOf(db, old.CardNo.toString());
    if (!replacement) return replacement.failure;
    if (replacement->isEmpty()) return true;
    msg = ReplacedText(*replacement);
  }
  return false;
}

bool askConfirm(const CardRow& old) {
  return Dialogs().askYesNo(QStringLiteral("此張卡片為") + StatusDscp(old.Status) + QStringLiteral("的卡片") +
                                QStringLiteral("\r\n") + QStringLiteral("是否要補發?"),
                            QStringLiteral("是否要補發卡片"));
}

bool writeRows(const OperationContext& ctx, const ReissueRequest& r, CardRow& card, std::optional<CardImage>& next,
               QString& msg) {
  const QString& oldCardNo = r.oldCardNo;
  const QString& cardType = r.newCardType;
  // The old row again, inside the transaction.
  if (const Done held = HoldCardRow(ctx.db, oldCardNo); !held) return StepFailed(kLabel, held.failure());
  CardRow old;
  const Fetched<bool> found = LoadCardRow(ctx.db, oldCardNo, old);
  if (!found.ok()) return StepFailed(kLabel, found.failure);
  if (!*found) {
    msg = QStringLiteral("資料庫無此卡號");
    return false;
  }
  const Fetched<bool> replaceable = checkOldCard(ctx.db, old, msg);
  if (!replaceable.ok()) return StepFailed(kLabel, replaceable.failure);
  if (!*replaceable) return false;

  qint64 serial = 0;
  QString serialText;
  // Drawn inside the transaction: a re-issue rolled back gives its number back.
  if (!NextNumber(cardType, QStringLiteral("Tolva"), serial, serialText, ctx.db, &msg)) {
    return false;
  }
  card = old;
  card.CardNo = cardType + serialText;
  const QString cardNo = card.CardNo.toString();
  if (CodePage::toAnsi(cardNo).size() > kStripeCardNoBytes) {
    msg = QStringLiteral("卡號超過7碼，卡號:") + cardNo;
    return false;
  }
  card.OCardNo = oldCardNo;
  card.Status = CardStatus::Reissued;
  card.UserID = ctx.operatorId;
  card.POSID = ctx.workstation;
  card.UpdUserID = QString();
  card.Remark = r.remark;
  if (!InsertCard(card, ctx.db)) {
    msg = QStringLiteral("Tolva主檔寫入失敗") + QStringLiteral("，卡號:") + cardNo;
    return false;
  }
  JournalRow txn;
  txn.TxnDept = ctx.storeId;
  txn.TxnType = TxnType::Reissue;
  txn.CardNo = cardNo;
  txn.TxnDate = Today();
  txn.TxnAmt = CardValueText(card.BalAmt);
  txn.TxnPoint = CardValueText(card.BalPoint);
  txn.RefCheckNo = QString();
  txn.POSID = ctx.workstation;
  txn.UserID = ctx.operatorId;
  txn.Remark = QString();
  if (!InsertJournalRow(txn, ctx.db)) {
    msg = QStringLiteral("Tolva記錄檔寫入失敗") + QStringLiteral("，卡號:") + cardNo;
    return false;
  }
  next = CardImage{cardNo, card.IssueDept.toString(), card.BatchNo.toString(), card.GoodThru,
                   CardValueText(card.BalAmt), CardValueText(card.BalPoint), r.faceText, std::nullopt, std::nullopt};
  return true;
}

}  // namespace

Fetched<std::optional<ReissueCardView>> LoadCardForReissue(const OperationContext& ctx, const QString& cardNo) {
  CardRow rec;
  const Fetched<bool> found = LoadCardRow(ctx.db, cardNo, rec);
  if (!found.ok()) return found.failure;
  if (!*found) return std::optional<ReissueCardView>();
  ReissueCardView v;
  v.issueDept = rec.IssueDept.toString();
  QString storeName;
  const Fetched<bool> store = StoreExists(ctx.db, v.issueDept, &storeName);
  if (!store.ok()) return store.failure;
  if (*store) v.storeName = storeName;
  v.balAmt = numberText(rec.BalAmt);
  v.balPoint = numberText(rec.BalPoint);
  v.goodThru = rec.GoodThru;
  v.issueDate = rec.IssueDate;
  v.status = rec.Status.toString();
  v.statusDscp = StatusDscp(rec.Status);
  return std::optional<ReissueCardView>(std::move(v));
}

bool ReissueRemarkFits(const QString& remark) { return remark.trimmed().size() <= kMaxRemark; }

namespace {

Fetched<ReissueOutcome> reissueCard(const OperationContext& ctx, const ReissueRequest& r) {
  using Refusal = ReissueOutcome::Refusal;
  ReissueOutcome out;
  CardRow old;
  old.CardNo = r.oldCardNo;
  const auto refuse = [&](Refusal why, const QString& msg) {
    out.refusal = why;
    out.message = msg;
    if (why != Refusal::Declined) logRecord(old);
    return out;
  };
  if (ctx.settings.batchKey.isEmpty()) return refuse(Refusal::NoCardKey, QStringLiteral("未設定資料加密碼"));
  if (r.oldCardNo.isEmpty()) return refuse(Refusal::NoOldCardNo, QStringLiteral("原卡號一定要輸入"));
  // The row as it is now, not as it was shown: another window may have changed it since.
  const Fetched<bool> found = LoadCardRow(ctx.db, r.oldCardNo, old);
  if (!found.ok()) return found.failure;
  if (!*found) {
    old = CardRow{};
    old.CardNo = r.oldCardNo;
    return refuse(Refusal::NoSuchCard, QStringLiteral("資料庫無此卡號"));
  }
  QString msg;
  const Fetched<bool> replaceable = checkOldCard(ctx.db, old, msg);
  if (!replaceable.ok()) return replaceable.failure;
  if (!*replaceable) return refuse(Refusal::NotReplaceable, msg);
  if (!askConfirm(old)) return refuse(Refusal::Declined, QString());
  if (r.newCardType.isEmpty()) return refuse(Refusal::NoCardType, QStringLiteral("新卡卡別一定要輸入"));
  if (!ReissueRemarkFits(r.remark)) return refuse(Refusal::RemarkTooLong, QStringLiteral("卡片備註碼不可超過三碼"));

  CardRow card;
  CardOperation op(ctx.db, kLabel, ApAction::Reissue);
  op.requireBlank = true;
  op.requireRecord = false;
  op.rows = [&](const CardRead&, std::optional<CardImage>& next, QString& m) {
    return writeRows(ctx, r, card, next, m);
  };
  op.successText = [&card](const CardRead&) {
    return QStringLiteral("卡號:") + card.CardNo.toString() + QStringLiteral("，可用餘額:") +
           CardValueText(card.BalAmt) + QStringLiteral("，可用點數:") + CardValueText(card.BalPoint);
  };
  op.failureText = [&card](const CardRead&, const QString& m) {
    const QString cardNo = card.CardNo.toString();
    return cardNo.isEmpty() || m.contains(cardNo) ? m : m + QStringLiteral("，卡號:") + cardNo;
  };
  out.ok = op.run(out.message);
  out.newCardNo = card.CardNo.toString();
  out.cancelled = op.cancelled();
  return out;
}

}  // namespace

ReissueOutcome ReissueCard(const OperationContext& ctx, const ReissueRequest& r) {
  Fetched<ReissueOutcome> out = reissueCard(ctx, r);
  if (out) return std::move(*out);
  LogErrorToShow(kLabel, out.failure);
  ReissueOutcome failed;
  failed.message = kDatabaseErrorText;
  return failed;
}
