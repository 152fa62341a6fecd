#include "operations/CardOperation.h"

#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "device/DeviceSession.h"
#include "device/CardFace.h"
#include "device/StripeRecord.h"
#include "db/Connection.h"
#include "ledger/CardCodes.h"
#include "db/Parameters.h"
#include "operations/OperationContext.h"

namespace {

bool g_busy = false;

// Marks the process busy for the life of one operation.
class BusyScope {
public:
  BusyScope() { g_busy = true; }
  ~BusyScope() { g_busy = false; }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
};

bool printFace(const CardImage& c, QString& msg) {
  return PrintCardFace(c.cardNo, c.storeNo, c.goodThru, c.balAmt, c.balPoint, msg, c.freeText, c.prevBal, c.txnAmt);
}

// Leaves the print area empty.
bool eraseFace() {
  QString ignored;
  return BlankFace(ignored);
}

QString valuesText(const QString& bal, const QString& points) {
  return QStringLiteral("餘額 ") + bal + QStringLiteral("、點數 ") + points;
}

}  // namespace

QString WithCardNo(const QString& msg, const CardRead& card) {
  const QString cardNo = card.image.cardNo.trimmed();
  if (cardNo.isEmpty() || msg.contains(cardNo)) return msg;
  return msg + QStringLiteral("，卡號:") + cardNo;
}

bool StepFailed(const QString& label, const Failure& failure) {
  LogError(label, failure);
  return false;
}

CardOperation::CardOperation(Connection& db, QString label, QString action)
    : db_(db), label_(std::move(label)), action_(std::move(action)) {}

CardOperation::CardOperation(QString label, QString action)
    : CardOperation(OperationContext::Current().db, std::move(label), std::move(action)) {}

bool CardOperation::busy() { return g_busy; }

QString CardOperation::busyText() { return QStringLiteral("另一項卡片作業進行中，請稍候再試"); }

QString CardOperation::notBlankText() { return QStringLiteral("此卡片不是空白卡，請先清除卡片"); }

bool CardOperation::run(QString& msg) {
  msg.clear();
  // A second operation must never run inside the first one's card wait or transaction.
  if (g_busy) {
    msg = busyText();
    return false;
  }
  const BusyScope scope;
  const bool ok = steps(msg);
  if (!ok && msg.isEmpty()) msg = QStringLiteral("卡片作業失敗");
  EjectCard();
  writeLog(ok, msg);
  return ok;
}

bool CardOperation::readCard(QString& msg) {
  if (!OpenReaderAndWaitForCard(msg, &waitCode_)) {
    refused_ = cancelled();
    return false;
  }
  if (!ReadStripeRecord(card_.record, msg)) {
    if (!acceptUnreadable || requireRecord || requireBlank) return false;
    card_.readable = false;
    card_.blank = false;
    msg.clear();
    return true;
  }
  card_.blank = card_.record.trimmed().isEmpty();
  if (requireBlank && !card_.blank) {
    msg = notBlankText();
    refused_ = true;
    return false;
  }
  if (!card_.blank) {
    CardImage& c = card_.image;
    QString goodThru;
    card_.valid = DecodeStripeRecord(card_.record, c.cardNo, c.storeNo, c.batchNo, goodThru, c.balAmt, c.balPoint, msg);
    c.goodThru = goodThru;
  }
  if (requireRecord && !card_.valid) {
    msg = QStringLiteral("卡片資料有誤");
    return false;
  }
  return true;
}

bool CardOperation::steps(QString& msg) {
  if (!readCard(msg)) return false;
  if (check) {
    const quint64 errors = ErrorRecordCount();
    if (!check(card_, msg)) {
      // A check that broke has reported it; one that only turned the card down has not.
      refused_ = ErrorRecordCount() == errors;
      return false;
    }
  }
  if (!rows) return true;  // a card that is only read

  std::optional<CardImage> next;
  TransactionGuard tx(db_);
  if (!tx.begun()) {
    LogError(label_, tx.begun().failure());
    return false;
  }
  db_.setExclusive(true);
  {
    const Connection::OwnerScope owner(db_);
    const quint64 errors = ErrorRecordCount();
    if (!rows(card_, next, msg)) {
      // As with the check: a rule that turned the card down (an unknown number, a balance that
      // would go below zero) reports nothing; a statement that failed has.
      refused_ = ErrorRecordCount() == errors;
      return false;
    }
  }
  if (next && !writeCard(*next, msg) && !unprinted_) return false;
  if (const Done committed = tx.commit(); !committed) {
    LogError(label_ + QStringLiteral("_Commit"), committed.failure());
    msg = QStringLiteral("資料庫存檔失敗");
    unprinted_.reset();
    if (next) putBack(*next, msg);
    return false;
  }
  committed_ = true;
  if (!unprinted_) return true;
  commitForward(*unprinted_, msg);
  return false;
}

bool CardOperation::writeCard(const CardImage& next, QString& msg) {
  if (next.blank) return wipeCard(next, msg);
  // Every value must fit the card before anything is written: the stripe would cut it and the
  // face leave it out.
  if (!CardFaceText(next.cardNo, next.storeNo, next.goodThru, next.balAmt, next.balPoint, next.freeText, next.prevBal,
                    next.txnAmt)) {
    msg = QStringLiteral("金額超過卡片可記錄的位數");
    return false;
  }
  // A stripe that was not written still holds what it held.
  if (!WriteCardValues(next.cardNo, next.storeNo, next.batchNo, next.goodThru, next.balAmt, next.balPoint, msg)) {
    if (msg.isEmpty()) msg = QStringLiteral("磁條寫入失敗");
    return false;
  }
  if (printFace(next, msg)) return true;
  if (msg.isEmpty()) msg = QStringLiteral("列印資料失敗!");
  // A stripe that keeps the new values is the card now: rolling back would leave it carrying
  // values (or, for a new card, a number) that the database no longer knows.
  if (!card_.readable || !restoreStripe()) {
    unprinted_ = next;
    return false;
  }
  if (restoreFace(next)) {
    msg += QStringLiteral("，卡片已回復原狀");
  } else {
    reportFaceNotRestored(next.cardNo.trimmed(), msg);
  }
  return false;
}

bool CardOperation::wipeCard(const CardImage& next, QString& msg) {
  // A stripe that was not blanked still holds what it held.
  if (!BlankStripe(msg)) return false;
  if (BlankFace(msg)) return true;
  putBack(next, msg);
  return false;
}

// The stripe as it was read, or blank for a new card.
bool CardOperation::restoreStripe() { return WriteStripeRecord(card_.blank ? QByteArray(" ") : card_.record); }

// The face of the values read, or an empty print area for a card that had none.
bool CardOperation::restoreFace(const CardImage& written) {
  if (!card_.valid) return eraseFace();
  QString ignored;
  const CardImage& c = card_.image;
  return printFace(CardImage{c.cardNo, c.storeNo, c.batchNo, c.goodThru, c.balAmt, c.balPoint, written.freeText,
                             std::nullopt, std::nullopt},
                   ignored);
}

void CardOperation::reportFaceNotRestored(const QString& cardNo, QString& msg) {
  const QString text = QStringLiteral("卡號 ") + cardNo + QStringLiteral(" 的卡面無法回復，請重新列印卡面");
  LogError(label_ + QStringLiteral("_RestoreFace"), QStringLiteral("-54"), text);
  msg += QStringLiteral("；") + text;
}

// Puts the card back as it was read: its previous stripe and face, or blank for a new card.
// Best effort; what cannot be put back is logged and named in the message.
void CardOperation::putBack(const CardImage& written, QString& msg) {
  const QString cardNo = written.cardNo.trimmed();
  if (!card_.readable) {
    // What the stripe held could not be read, so there is nothing to write back.
    const QString text = QStringLiteral("卡號 ") + cardNo + QStringLiteral(" 的卡片原有資料無法讀取，無法回復");
    LogError(label_ + QStringLiteral("_RestoreStripe"), QStringLiteral("-33"), text);
    msg += QStringLiteral("；") + text;
    return;
  }
  const bool stripe = restoreStripe();
  const bool face = restoreFace(written);
  if (stripe && face) {
    msg += QStringLiteral("，卡片已回復原狀");
    return;
  }
  if (!stripe) {
    const QString text =
        card_.blank    ? QStringLiteral("新卡 ") + cardNo + QStringLiteral(" 無法清除，卡片與資料庫不一致，請收回此卡")
        : written.blank ? QStringLiteral("卡號 ") + cardNo + QStringLiteral(" 的卡片已清除但資料庫未更新，請重新清除此卡")
                        : QStringLiteral("卡號 ") + cardNo + QStringLiteral(" 的卡片與資料庫不一致：卡片") +
                              valuesText(written.balAmt, written.balPoint) + QStringLiteral("，資料庫") +
                              valuesText(card_.image.balAmt, card_.image.balPoint);
    LogError(label_ + QStringLiteral("_RestoreStripe"), QStringLiteral("-33"), text);
    msg += QStringLiteral("；") + text;
    return;
  }
  reportFaceNotRestored(cardNo, msg);
}

// The rows were committed to match the stripe; the face still shows something else. No window
// reprints a face by itself, but the good-thru window rewrites stripe and face from the card's
// own values, so the card's present date reprints it without changing a value.
void CardOperation::commitForward(const CardImage& written, QString& msg) {
  const QString cardNo = written.cardNo.trimmed();
  reprintText_ = QStringLiteral("卡號 ") + cardNo + QStringLiteral(" 的磁條已寫入新資料並已存檔，但卡面未印妥；") +
                 QStringLiteral("請在「更改有效日期」輸入原有效日期 ") + DateForDisplay(written.goodThru) +
                 QStringLiteral(" 重寫此卡，以重印卡面");
  LogError(label_ + QStringLiteral("_CommitForward"), QStringLiteral("-54"),
           reprintText_ + QStringLiteral("（卡片") + valuesText(written.balAmt, written.balPoint) + QStringLiteral("）"));
  msg += QStringLiteral("；") + reprintText_;
}

void CardOperation::writeLog(bool ok, const QString& msg) {
  if (action_.isEmpty() || (cancelled() && !logWhenCancelled)) return;
  const QString cardNo = card_.image.cardNo.trimmed();
  if (ok || faceUnprinted()) {
    // A committed operation logs what it did, and the face still to be reprinted.
    const QString text = successText ? successText(card_) : QStringLiteral("卡號：") + cardNo;
    if (ok) {
      WriteActivityLog(TheSettings().appName, action_, text, successRemark);
    } else {
      WriteActivityLog(TheSettings().appName, action_, text + QStringLiteral("；") + reprintText_, kApReprintRemark);
    }
  } else {
    QString text = failureText ? failureText(card_, msg) : msg;
    if (!failureText && !cardNo.isEmpty() && !text.contains(cardNo)) text += QStringLiteral("，卡號：") + cardNo;
    WriteActivityLog(TheSettings().appName, action_, text, refused_ ? kApRefusedRemark : kApFailRemark);
  }
}

CardOutcome CardOutcome::Of(const CardOperation& op, bool ok, const QString& message) {
  CardOutcome out;
  out.ok = ok;
  out.message = message;
  out.card = op.card();
  out.cancelled = op.cancelled();
  out.busy = !ok && message == CardOperation::busyText();
  out.waitCode = op.waitCode();
  return out;
}
