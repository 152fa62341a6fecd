#include "operations/CounterOperations.h"
#include "device/CardFace.h"

#include "core/Clock.h"
#include "core/Dates.h"
#include "core/ErrorReport.h"
#include "core/Settings.h"
#include "operations/CardOperation.h"
#include "db/Connection.h"
#include "ledger/CardRows.h"
#include "ledger/CardCodes.h"
#include "db/Database.h"
#include "db/Parameters.h"
#include "ledger/Balances.h"
#include "ledger/CardSales.h"
#include "core/Paths.h"
#include "core/SettingsFile.h"

#include <algorithm>

namespace {

const QString kBadCard = QStringLiteral("卡片資料有誤");

// A card value as the stripe holds it; a blank field is 0.
std::optional<Money> cardValue(const QString& text) {
  if (text.trimmed().isEmpty()) return Money();
  return Money::parse(text);
}

// The card's number and values as the operation read them.
bool takeCard(const CardRead& card, CardTxn& t, QString& msg) {
  t.cardNo = card.image.cardNo;
  t.storeNo = card.image.storeNo;
  t.batchNo = card.image.batchNo;
  t.goodThru = card.image.goodThru.toString();
  const auto b = cardValue(card.image.balAmt);
  const auto p = cardValue(card.image.balPoint);
  if (!b || !p) {
    msg = kBadCard;
    return false;
  }
  t.prevBal = t.newBal = *b;
  t.prevPoints = t.newPoints = *p;
  return true;
}

bool checkCard(const CardTxn& t, QString& msg) {
  return GoodThruValid(t.goodThru, msg) && CheckVoidCard(t.cardNo, msg);
}

// Every value the face prints must fit its positions before anything is written.
bool fitsCard(const CardTxn& t, QString& msg) {
  for (const Money& value : {t.newBal, t.newPoints, t.prevBal, t.txnAmt}) {
    if (!FitsOnCard(value)) {
      msg = QStringLiteral("交易後數值超過卡片位數");
      return false;
    }
  }
  return true;
}

bool journal(const QString& type, const TxnValues& v, CardTxn& t, QString& msg) {
  JournalRow rec;
  rec.TxnDept = v.txnDept;
  rec.TxnType = type;
  rec.CardNo = t.cardNo;
  rec.TxnDate = v.txnDate;
  rec.TxnAmt = t.txnAmt.toString();
  rec.TxnPoint = t.txnPoint.toString();
  rec.RefCheckNo = v.refNo;
  rec.POSID = v.ctx->workstation;
  rec.UserID = v.ctx->operatorId;
  rec.Remark = v.remark;
  if (!InsertJournalRow(rec, v.ctx->db)) {
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

// Works out the new values of the card read, or refuses with a message. Runs before the
// transaction; `inTxn` runs inside it, before the journal row.
using Plan = std::function<bool(CardTxn&, QString&)>;

// The road every card transaction takes: read and check the card, plan the new values, then in
// one transaction the caller's checks, the journal row and the caller's database step; the card
// is rewritten (when `rewrite`) and the transaction committed before the card leaves.
bool runCardTxn(const QString& label, const QString& type, const TxnValues& v, const Plan& plan, const Plan& inTxn,
                bool rewrite, QString& msg, CardTxn* result) {
  CardTxn t;
  CardOperation op(v.ctx->db, label, v.apAction);
  op.check = [&](const CardRead& card, QString& m) {
    return takeCard(card, t, m) && checkCard(t, m) && plan(t, m) && fitsCard(t, m);
  };
  op.rows = [&](const CardRead&, std::optional<CardImage>& next, QString& m) {
    if (inTxn && !inTxn(t, m)) return false;
    if (!journal(type, v, t, m)) return false;
    if (v.dbStep && !v.dbStep(t, m)) return false;
    if (rewrite) next = imageOf(t, v);
    return true;
  };
  if (v.apText) op.successText = [&](const CardRead&) { return v.apText(t); };
  const bool ok = op.run(msg);
  if (t.cardNo.isEmpty()) t.cardNo = op.card().image.cardNo;
  if (result) *result = t;
  return ok;
}

// The transaction type a reversal mode takes back, and the type of the reversal itself.
std::pair<QString, QString> reversalTypes(const QString& mode) {
  if (mode == QLatin1String("1")) return {TxnType::TopUp, TxnType::VoidTopUp};
  if (mode == QLatin1String("2")) return {TxnType::Deduct, TxnType::VoidDeduct};
  return {TxnType::DeductPoint, TxnType::VoidDeductPoint};
}

}  // namespace

std::optional<Money> WholeAmount(const QString& typed, const QString& label, bool required, QString& msg) {
  const QString text = typed.trimmed();
  if (text.isEmpty()) {
    if (!required) return Money();
    msg = QStringLiteral("請輸入") + label;
    return std::nullopt;
  }
  const auto value = Money::parse(text);
  if (!value) {
    msg = NotAnAmountText(text, label + QStringLiteral("必需為數字"));
    return std::nullopt;
  }
  if (*value < Money() || !value->isWhole() || (required && *value == Money())) {
    msg = label + QStringLiteral("必需為正整數");
    return std::nullopt;
  }
  return value;
}

bool BalanceLimit(std::optional<Money>& limit, QString& msg) {
  limit.reset();
  QString text;
  if (!ReadParamValue(QStringLiteral("QDR_BalAmtLimit"), text) || text.trimmed().isEmpty()) return true;
  const auto value = Money::parse(text);
  if (!value || *value < Money()) {
    msg = QStringLiteral("加值上限參數設定有誤");
    return false;
  }
  limit = value;
  return true;
}

bool WithinBalanceLimit(const Money& newBal, const std::optional<Money>& limit, QString& msg) {
  if (!limit || newBal <= *limit) return true;
  msg = QStringLiteral("加值後餘額超過上限");
  return false;
}

bool CheckVoidCard(const QString& cardNo, QString& msg) {
  const Fetched<bool> listed = FindRowByKey(QStringLiteral("VoidCard"), QStringLiteral("CardNo"), cardNo);
  if (!listed.ok()) {
    LogError(ErrorLabel(), listed.failure);
    msg = QStringLiteral("資料庫錯誤，無法查核黑名單");
    return false;
  }
  if (!*listed) return true;
  msg = QStringLiteral("此張卡片已列入黑名單中");
  return false;
}

bool GoodThruValid(const QString& goodThru, QString& msg) {
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

bool SellCard(const TxnValues& txn, QString& msg, CardTxn* result) {
  const Plan none = [](CardTxn&, QString&) { return true; };
  return runCardTxn(QStringLiteral("SellCard"), TxnType::CounterSale, txn, none, nullptr, false, msg,
                    result);
}

bool DeductPointsFromCard(const Money& points, const TxnValues& txn, QString& msg, CardTxn* result) {
  const Plan plan = [&points](CardTxn& t, QString& m) {
    t.newPoints = t.prevPoints - points;
    t.txnPoint = -points;
    if (t.newPoints < Money()) {
      m = QStringLiteral("交易後紅利點數小於零");
      return false;
    }
    return true;
  };
  return runCardTxn(QStringLiteral("DeductPointsFromCard"), TxnType::DeductPoint, txn, plan, nullptr, true, msg,
                    result);
}

bool TopUpCard(const QString& mode, const Money& amount, const Money& points, const TxnValues& txn,
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
    const Money pts = txn.pointsAtMost ? std::max(Money(), std::min(points, t.prevPoints)) : points;
    t.txnPoint = ptsSign > 0 ? pts : -pts;
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
    return t.newBal <= t.prevBal || WithinBalanceLimit(t.newBal, txn.balLimit, why);
  };
  // A reversal may not create value: it takes back at most what the journal holds.
  const Plan limit = [&](CardTxn& t, QString& why) {
    if (topUp) return true;
    Money amountLeft, pointsLeft;
    const auto [reversed, reversal] = reversalTypes(m);
    const Done summed = ReversibleLeft(txn.ctx->db, t.cardNo, reversed, reversal, amountLeft, pointsLeft);
    if (!summed) return StepFailed(QStringLiteral("TopUpCard"), summed.failure());
    if (amount > amountLeft) {
      why = QStringLiteral("沖正金額超過可沖正的金額") + amountLeft.toString();
      return false;
    }
    const Money taken = t.txnPoint < Money() ? -t.txnPoint : t.txnPoint;
    if (taken > pointsLeft && txn.pointsAtMost) {
      const Money cap = std::max(Money(), pointsLeft);
      t.newPoints = t.prevPoints + (t.txnPoint < Money() ? -cap : cap);
      t.txnPoint = t.newPoints - t.prevPoints;
    } else if (taken > pointsLeft) {
      why = QStringLiteral("沖正點數超過可沖正的點數") + pointsLeft.toString();
      return false;
    }
    return true;
  };
  const QString type = topUp ? TxnType::TopUp : reversalTypes(m).second;
  return runCardTxn(QStringLiteral("TopUpCard"), type, txn, plan, limit, true, msg, result);
}

bool DeductFromCard(const Money& amount, const Money& earnedPoints, const TxnValues& txn, QString& msg,
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
  return runCardTxn(QStringLiteral("DeductFromCard"), TxnType::Deduct, txn, plan, nullptr, true, msg,
                    result);
}

// ---- The counter ----------------------------------------------------------------------

namespace {

// A numeric parameter: nothing when it is not set; `bad` when it is set but unusable.
std::optional<Money> numericParam(const QString& id, bool& bad) {
  bad = false;
  QString text;
  if (!ReadParamValue(id, text) || text.trimmed().isEmpty()) return std::nullopt;
  const auto value = Money::parse(text);
  if (!value || *value < Money()) {
    bad = true;
    return std::nullopt;
  }
  return value;
}

// Whole points earned by an amount at a rate of points per unit amount (fractions dropped).
// The whole points an amount earns at the rate; nothing when the rate is too large for it.
std::optional<Money> earnedPoints(const Money& amount, const std::optional<Money>& rate) {
  if (!rate) return Money();
  const std::optional<Money> product = amount.times(*rate);
  if (!product) return std::nullopt;
  return product->truncatedToWhole();
}

const QString kBadRate = QStringLiteral("紅利點數比率參數設定有誤");

// The card message printed under the values: the six lines of the card message file.
QString counterFaceText() {
  QString text;
  if (!FileExists(TheSettings().cardMessageFile) || !ReadMessageFile(TheSettings().cardMessageFile, text)) return {};
  const QStringList lines = text.split(QLatin1Char('|'));
  QString face;
  for (int i = 0; i < 6; ++i) face += (i < lines.size() ? lines[i] : QString()) + QLatin1Char('\n');
  return face;
}

// A TxnValues::dbStep: the card's master row takes the transaction's amount and points, so
// that it agrees with the card and its journal.
TxnValues::DbStep postToMaster(const OperationContext& ctx) {
  return [&ctx](const CardTxn& t, QString& msg) {
    return PostToMaster(ctx.db, {t.cardNo, t.txnAmt, t.txnPoint, ctx.operatorId, Today(), std::nullopt}, msg);
  };
}

// A counter sale marks the card sold, refusing what the sale window refuses.
TxnValues::DbStep markSold(const OperationContext& ctx) {
  return [&ctx](const CardTxn& t, QString& msg) {
    const Fetched<QString> refusal = SaleRefusal(ctx.db, t.cardNo);
    const Fetched<bool> sold = refusal && refusal->isEmpty() ? MarkCardSold(ctx.db, t.cardNo, ctx.operatorId, Today())
                                                             : Fetched<bool>(false);
    if (!refusal || !sold.ok()) {
      LogErrorToShow(QStringLiteral("SellAtCounter"), refusal ? sold.failure : refusal.failure);
      msg = QStringLiteral("Tolva資料更新失敗");
      return false;
    }
    msg = *refusal;
    return msg.isEmpty();
  };
}

CounterOutcome refused(const QString& action, const QString& msg, const QString& remark) {
  WriteActivityLog(TheSettings().appName, action, msg, remark);
  return {false, action, msg, CardTxn{}, true};
}

using CounterCall = std::function<bool(TxnValues&, QString& msg, CardTxn& txn)>;

// Runs one counter transaction on the card in the reader.
CounterOutcome runCounter(const OperationContext& ctx, const QString& action, const CounterCall& call) {
  CounterOutcome out{false, action, {}, {}};
  TxnValues v;
  v.ctx = &ctx;
  v.txnDept = ctx.storeId;
  v.txnDate = Today();
  v.freeText = counterFaceText();
  v.apAction = action;
  v.apText = CounterResultText;
  out.ok = call(v, out.message, out.txn);
  if (!out.ok && out.message.isEmpty()) out.message = QStringLiteral("存檔失敗");
  return out;
}

}  // namespace

QString CounterResultText(const CardTxn& txn) {
  return QStringLiteral("卡號：") + txn.cardNo.trimmed() + QStringLiteral("，交易金額：") + txn.txnAmt.toString() +
         QStringLiteral("，餘額：") + txn.newBal.toString() + QStringLiteral("，紅利點數：") + txn.newPoints.toString();
}

CounterOutcome TopUp(const OperationContext& ctx, const QString& amountText) {
  const QString action = ApAction::TopUp;
  QString msg;
  std::optional<Money> limit;
  const auto amount = WholeAmount(amountText, QStringLiteral("金額"), true, msg);
  if (!amount) return refused(action, msg, kApRefusedRemark);
  if (!BalanceLimit(limit, msg)) return refused(action, msg, kApFailRemark);
  return runCounter(ctx, action, [&](TxnValues& v, QString& m, CardTxn& t) {
    v.balLimit = limit;
    v.dbStep = postToMaster(ctx);
    return TopUpCard(kTopUpMode, *amount, Money(), v, m, &t);
  });
}

CounterOutcome Deduct(const OperationContext& ctx, const QString& amountText) {
  const QString action = ApAction::Deduct;
  QString msg;
  const auto amount = WholeAmount(amountText, QStringLiteral("金額"), true, msg);
  bool bad = false;
  const auto rate = numericParam(QStringLiteral("QDR_PointRate"), bad);
  if (!amount) return refused(action, msg, kApRefusedRemark);
  // A rate so large that the points do not fit is as wrong as one that is not a number.
  const std::optional<Money> points = bad ? std::nullopt : earnedPoints(*amount, rate);
  if (!points) return refused(action, kBadRate, kApFailRemark);
  return runCounter(ctx, action, [&](TxnValues& v, QString& m, CardTxn& t) {
    v.dbStep = postToMaster(ctx);
    return DeductFromCard(*amount, *points, v, m, &t);
  });
}

CounterOutcome DeductPoints(const OperationContext& ctx, const QString& pointsText) {
  const QString action = ApAction::DeductPoint;
  QString msg;
  const auto points = WholeAmount(pointsText, QStringLiteral("點數"), true, msg);
  if (!points) return refused(action, msg, kApRefusedRemark);
  return runCounter(ctx, action, [&](TxnValues& v, QString& m, CardTxn& t) {
    v.dbStep = postToMaster(ctx);
    return DeductPointsFromCard(*points, v, m, &t);
  });
}

CounterOutcome SellAtCounter(const OperationContext& ctx) {
  return runCounter(ctx, ApAction::Sale, [&](TxnValues& v, QString& m, CardTxn& t) {
    v.dbStep = markSold(ctx);
    return SellCard(v, m, &t);
  });
}

CounterOutcome Reverse(const OperationContext& ctx, const ReversalRequest& r,
                       const std::function<void(const Money& points)>& showEarnedPoints) {
  const QString action = ApAction::Reversal;
  QString msg;
  // A deduction reversed without points typed takes back what its amount earned.
  const bool earnedPointsBack = r.mode == QLatin1String("2") && r.pointsText.trimmed().isEmpty();
  std::optional<Money> amount, points;
  if (r.mode.isEmpty()) {
    msg = QStringLiteral("請選擇沖正類別");
  } else if ((amount = WholeAmount(r.amountText, QStringLiteral("沖正金額"), false, msg)) &&
             (points = WholeAmount(r.pointsText, QStringLiteral("沖正點數"), false, msg)) && *amount == Money() &&
             *points == Money()) {
    msg = QStringLiteral("請輸入沖正金額或點數");
  }
  if (!msg.isEmpty()) return refused(action, msg, kApRefusedRemark);
  std::optional<Money> limit;
  if (!BalanceLimit(limit, msg)) return refused(action, msg, kApFailRemark);
  if (earnedPointsBack) {
    bool bad = false;
    const auto rate = numericParam(QStringLiteral("QDR_PointRate"), bad);
    points = bad ? std::nullopt : earnedPoints(*amount, rate);
    if (!points) return refused(action, kBadRate, kApFailRemark);
    if (showEarnedPoints) showEarnedPoints(*points);
  }
  return runCounter(ctx, action, [&](TxnValues& v, QString& m, CardTxn& t) {
    // A reversal that credits the card is held to the same limit as a top-up.
    v.balLimit = limit;
    v.pointsAtMost = earnedPointsBack;
    v.dbStep = postToMaster(ctx);
    return TopUpCard(r.mode, *amount, *points, v, m, &t);
  });
}

CounterOutcome ReverseTopUp(const OperationContext& ctx, const QString& amountText, const QString& refNo,
                            const QString& faceText) {
  const QString action = ApAction::Reversal;
  const auto resultText = [](const CardTxn& t) {
    return QStringLiteral("卡號：") + t.cardNo.trimmed() + QStringLiteral("，餘額：") + t.newBal.toString() +
           QStringLiteral("，紅利點數：") + t.newPoints.toString();
  };
  QString msg;
  if (ctx.settings.batchKey.isEmpty()) msg = QStringLiteral("未設定資料加密碼");
  const auto amount = msg.isEmpty() ? WholeAmount(amountText, QStringLiteral("沖正金額"), false, msg) : std::nullopt;
  if (!amount) return refused(action, msg, kApRefusedRemark);
  TxnValues v;
  v.ctx = &ctx;
  v.txnDept = ctx.storeId;
  v.txnDate = Today();
  v.refNo = refNo;
  v.freeText = faceText;
  v.apAction = action;
  v.apText = resultText;
  // The master row follows the card in the same transaction.
  v.dbStep = postToMaster(ctx);
  CounterOutcome out{false, action, {}, {}};
  out.ok = TopUpCard(QStringLiteral("1"), *amount, Money(), v, out.message, &out.txn);
  if (out.ok) out.message = QStringLiteral("沖正完成，") + resultText(out.txn);
  return out;
}
