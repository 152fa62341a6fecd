#include "card/basQDR_Txn.h"
#include "card/basQDR_Print.h"

#include "app/Clock.h"
#include "app/Dates.h"
#include "app/ErrorReport.h"
#include "app/globals.h"
#include "card/basBorixCRW.h"
#include "card/basQDR_Rewrite.h"
#include "card/basQDR_Tolva.h"
#include "db/Connection.h"
#include "db/Records.h"
#include "db/basDB.h"

namespace {

// Positions the stripe gives each value; a longer one would be cut on the card.

const QString kBlacklisted = QStringLiteral("此張卡片已列入黑名單中");
const QString kBadCard = QStringLiteral("卡片資料有誤");

// A card value as the stripe holds it; a blank field is 0.
std::optional<Money> cardValue(const QString& text) {
  if (text.trimmed().isEmpty()) return Money();
  return Money::parse(text);
}

// Waits for the card and reads it, leaving it in the reader.
bool readInserted(CardTxn& t, QString& msg) {
  if (!Borix_InsertCard(msg)) return false;
  QString bal, points;
  if (!QDR_ReadCard(t.cardNo, t.storeNo, t.batchNo, t.goodThru, bal, points, msg, false)) return false;
  const auto b = cardValue(bal);
  const auto p = cardValue(points);
  if (!b || !p) {
    msg = kBadCard;
    return false;
  }
  t.prevBal = t.newBal = *b;
  t.prevPoints = t.newPoints = *p;
  return true;
}

bool checkCard(const CardTxn& t, QString& msg) {
  if (!QDR_GoodThruValid(t.goodThru, msg)) return false;
  if (!CheckVoidCard(t.cardNo)) {
    msg = kBlacklisted;
    return false;
  }
  return true;
}

bool fitsCard(const CardTxn& t, QString& msg) {
  if (!FitsOnCard(t.newBal) || !FitsOnCard(t.newPoints)) {
    msg = QStringLiteral("交易後數值超過卡片位數");
    return false;
  }
  return true;
}

bool journal(const QString& type, const TxnValues& v, CardTxn& t, QString& msg) {
  TolvaLogRec rec;
  rec.TxnDept = v.txnDept;
  rec.TxnType = type;
  rec.CardNo = t.cardNo;
  rec.TxnDate = v.txnDate;
  rec.TxnAmt = t.txnAmt.toString();
  rec.TxnPoint = t.txnPoint.toString();
  rec.RefCheckNo = v.refNo;
  rec.POSID = gWorkstation;
  rec.UserID = gUserID;
  rec.Remark = v.remark;
  if (!ADD_TolvaLog(rec, gCnn())) {
    msg = QStringLiteral("Tolva記錄檔寫入失敗");
    return false;
  }
  t.logRNo = rec.RNo;
  return true;
}

CardImage imageOf(const CardTxn& t, const TxnValues& v) {
  CardImage img;
  img.cardNo = t.cardNo;
  img.storeNo = t.storeNo;
  img.batchNo = t.batchNo;
  img.goodThru = t.goodThru;
  img.balAmt = t.newBal.toString();
  img.balPoint = t.newPoints.toString();
  img.freeText = v.freeText;
  img.prevBal = v.facePrevBal.value_or(t.prevBal.toString());
  img.txnAmt = v.faceTxnAmt.value_or(t.txnAmt.toString());
  return img;
}

// Works out the new values of the card read, or refuses with a message.
using Plan = std::function<bool(CardTxn&, QString&)>;

// The road every value change takes: card, checks, plan, journal row, the caller's database
// step, rewrite; the card is ejected whatever happened.
bool runValueChange(const QString& label, const QString& type, const TxnValues& v, const Plan& plan, QString& msg,
                    CardTxn* result) {
  CardTxn t;
  bool ok = false;
  msg.clear();
  try {
    if (readInserted(t, msg) && checkCard(t, msg) && plan(t, msg) && fitsCard(t, msg) && journal(type, v, t, msg) &&
        (!v.dbStep || v.dbStep(t, msg))) {
      ok = QDR_RewriteCard(imageOf(t, v), msg);
    }
  } catch (...) {
    LogError(label);
    ok = false;
  }
  if (!ok && msg.isEmpty()) msg = QStringLiteral("卡片交易失敗");
  CRW_CardOut();
  if (result) *result = t;
  return ok;
}

}  // namespace

bool CheckVoidCard(const QString& cardNo) {
  try {
    return !QryByKeyText(QStringLiteral("VoidCard"), QStringLiteral("CardNo"), cardNo);
  } catch (...) {
    LogError(QStringLiteral("basQDR_Tolva_CheckVoidCard"));
    return false;
  }
}

bool QDR_GoodThruValid(const QString& goodThru, QString& msg) {
  const auto when = ToDateTime(goodThru.trimmed());
  if (!when) {
    msg = kBadCard;
    return false;
  }
  if (Today().daysTo(when->date()) < 0) {
    msg = QStringLiteral("超出有效期限");
    return false;
  }
  return true;
}

bool QDR_SaleCard(const TxnValues& txn, QString& cardNo, QString& msg) {
  const bool readHere = cardNo.trimmed().isEmpty();
  CardTxn t;
  t.cardNo = cardNo;
  bool ok = false;
  msg.clear();
  try {
    if (!readHere || (readInserted(t, msg) && QDR_GoodThruValid(t.goodThru, msg))) {
      if (!CheckVoidCard(t.cardNo)) {
        msg = kBlacklisted;
      } else if (journal(QStringLiteral("24"), txn, t, msg) && (!txn.dbStep || txn.dbStep(t, msg))) {
        ok = true;
      }
    }
  } catch (...) {
    LogError(QStringLiteral("basQDR_Tolva_QDR_SaleCard"));
    ok = false;
  }
  if (!ok && msg.isEmpty()) msg = QStringLiteral("卡片交易失敗");
  if (readHere) CRW_CardOut();
  cardNo = t.cardNo;
  return ok;
}

bool QDR_DeductPoint(const Money& points, const TxnValues& txn, QString& msg, CardTxn* result) {
  const Plan plan = [&points](CardTxn& t, QString& m) {
    t.newPoints = t.prevPoints - points;
    t.txnPoint = -points;
    if (t.newPoints < Money()) {
      m = QStringLiteral("交易後紅利點數小於零");
      return false;
    }
    return true;
  };
  return runValueChange(QStringLiteral("basQDR_Tolva_QDR_DeductPoint"), QStringLiteral("23"), txn, plan, msg, result);
}

bool QDR_AddAmtPrint(const QString& mode, const Money& amount, const Money& points, const TxnValues& txn,
                     QString& msg, CardTxn* result) {
  const QString m = mode.trimmed().isEmpty() ? kTopUpMode : mode.trimmed();
  if (m != kTopUpMode && m != QLatin1String("1") && m != QLatin1String("2") && m != QLatin1String("3")) {
    msg = QStringLiteral("沖正類別錯誤");
    if (result) *result = CardTxn{};
    return false;
  }
  const bool topUp = m == kTopUpMode;
  const Plan plan = [&](CardTxn& t, QString& why) {
    // Which way the amount and the points go: a top-up adds both; a reversal undoes the
    // transaction it names.
    const int amtSign = (topUp || m != QLatin1String("1")) ? 1 : -1;
    const int ptsSign = (topUp || m == QLatin1String("3")) ? 1 : -1;
    t.txnAmt = amtSign > 0 ? amount : -amount;
    t.txnPoint = ptsSign > 0 ? points : -points;
    t.newBal = t.prevBal + t.txnAmt;
    t.newPoints = t.prevPoints + t.txnPoint;
    if (!topUp) t.newBal = t.newBal.roundedToWhole();
    if (t.newBal < Money()) {
      why = topUp ? QStringLiteral("交易後餘額小於零") : QStringLiteral("沖正後餘額小於零");
      return false;
    }
    if (t.newPoints < Money()) {
      why = topUp ? QStringLiteral("交易後紅利點數小於零") : QStringLiteral("沖正後紅利點數小於零");
      return false;
    }
    if (topUp && txn.balLimit && t.newBal > *txn.balLimit) {
      why = QStringLiteral("加值後餘額超過上限");
      return false;
    }
    return true;
  };
  const QString type = topUp ? QStringLiteral("21") : QStringLiteral("3") + m;
  return runValueChange(QStringLiteral("basQDR_Tolva_QDR_AddAmtPrint"), type, txn, plan, msg, result);
}

bool QDR_DeductPrint(const Money& amount, const Money& earnedPoints, const TxnValues& txn, QString& msg,
                     CardTxn* result) {
  const Plan plan = [&](CardTxn& t, QString& why) {
    t.txnAmt = -amount;
    t.txnPoint = earnedPoints;
    t.newBal = t.prevBal - amount;
    t.newPoints = t.prevPoints + earnedPoints;
    if (t.newBal < Money()) {
      why = QStringLiteral("交易後餘額小於零");
      return false;
    }
    if (t.newPoints < Money()) {
      why = QStringLiteral("交易後紅利點數小於零");
      return false;
    }
    return true;
  };
  return runValueChange(QStringLiteral("basQDR_Tolva_QDR_DeductPrint"), QStringLiteral("22"), txn, plan, msg, result);
}
