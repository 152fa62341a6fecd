#pragma once
// Card transactions: the routines that read the card in the reader, check it, journal one
// TolvaLog row and, where the card's values change, rewrite its stripe and face.
//
// None of them opens a database transaction: the caller wraps the call in one, so that a
// journal row never outlives a card that was not rewritten.
#include "core/Money.h"
#include "operations/OperationContext.h"

#include <QString>
#include <QVariant>
#include <functional>
#include <optional>

// What one card transaction did: the card as it was read and its values afterwards.
struct CardTxn {
  QString cardNo;   // as the stripe holds it (trailing blanks kept)
  QString storeNo;
  QString batchNo;
  QString goodThru;
  Money prevBal;
  Money prevPoints;
  Money newBal;
  Money newPoints;
  Money txnAmt;     // signed as journalled
  Money txnPoint;
  QVariant logRNo;  // the journal row, once written
};

// The transaction's own values and what the caller adds to it.
struct TxnValues {
  const OperationContext* ctx = nullptr;  // who writes the rows, and through which connection
  QString txnDept;   // store where the transaction takes place
  QVariant txnDate;  // business date
  QString refNo;     // RefCheckNo
  QString remark;
  QString freeText;  // the card message printed under the values
  // Face lines "上期餘額" and "本次交易"; by default the card's balance before the
  // transaction and the amount journalled.
  std::optional<QString> facePrevBal;
  std::optional<QString> faceTxnAmt;
  // The highest balance a card may carry after any credit.
  std::optional<Money> balLimit;
  // The application-log action of the operation, and its text once it succeeded.
  QString apAction;
  std::function<QString(const CardTxn&)> apText;
  // One more database step in the caller's transaction, run after the journal row and before
  // the card is rewritten (so a refusal here leaves the card untouched). False with `msg` set
  // refuses the transaction.
  using DbStep = std::function<bool(const CardTxn&, QString& msg)>;
  DbStep dbStep;
  // A reversal's points are what its amount earned at the point rate, not a figure the operator
  // typed: it takes back as many of them as the card and its journal still hold.
  bool pointsAtMost = false;
};

// The kinds of value change TopUpCard makes, by its mode text.
inline const QString kTopUpMode = QStringLiteral("0");

// An amount typed by the operator, as a whole number of 0 or more; an empty text is 0 unless
// `required`, and a required amount must be above 0. Otherwise nothing, with `msg` naming `label`.
std::optional<Money> WholeAmount(const QString& text, const QString& label, bool required, QString& msg);

// The balance limit parameter (QDR_BalAmtLimit): `limit` stays empty when it is not set.
// False with `msg` when it is set but not a number of 0 or more.
bool BalanceLimit(std::optional<Money>& limit, QString& msg);
// The new balance after a credit, checked against the limit; false with `msg` above it.
bool WithinBalanceLimit(const Money& newBal, const std::optional<Money>& limit, QString& msg);

// True when the card is NOT on the blacklist. Otherwise `msg` says why: the card is listed, or
// the look-up failed (logged; a failed look-up never lets a blacklisted card through).
bool CheckVoidCard(const QString& cardNo, QString& msg);

// The good-thru check of every card transaction: a date not before today. False with
// "超出有效期限", or "卡片資料有誤" when the stripe's date is not a date.
bool GoodThruValid(const QString& goodThru, QString& msg);

// Journals a counter sale (type "24") of the card the operator inserts (read, checked and
// ejected here; `result` receives it). The card's stripe and face stay as they are.
bool SellCard(const TxnValues& txn, QString& msg, CardTxn* result = nullptr);

// Deducts bonus points (type "23"): the card's points less `points`, never below zero.
bool DeductPointsFromCard(const Money& points, const TxnValues& txn, QString& msg, CardTxn* result = nullptr);

// A value change with printing. Mode kTopUpMode (or empty) adds `amount` and `points` (type
// "21"). The reversal modes take back an earlier transaction: "1" a top-up (balance less
// `amount`, points less `points`, type "31"), "2" an amount deduction (balance plus `amount`,
// points less `points`, type "32"), "3" a point deduction (balance plus `amount`, points plus
// `points`, type "33"). A reversal's new balance is a whole number, and it takes back no more
// than the card's journal holds of the type it reverses, less the earlier reversals of it.
bool TopUpCard(const QString& mode, const Money& amount, const Money& points, const TxnValues& txn,
                     QString& msg, CardTxn* result = nullptr);

// Deducts an amount (type "22") and credits the points it earns.
bool DeductFromCard(const Money& amount, const Money& earnedPoints, const TxnValues& txn, QString& msg,
                     CardTxn* result = nullptr);

// ---- The counter ----------------------------------------------------------------------
// Each call reads what the operator typed, refuses what it cannot take (writing the refusal to
// the application log) and otherwise runs the card transaction with the card's master row in
// one database transaction.

// What a counter operation did.
struct CounterOutcome {
  bool ok = false;
  QString action;   // the application-log action ("加值", "扣款", ...)
  QString message;  // why it failed
  CardTxn txn;      // the card before and after
  bool refused = false;  // turned down before a card was asked for
};

// The application-log text of a counter transaction.
QString CounterResultText(const CardTxn& txn);

CounterOutcome TopUp(const OperationContext& ctx, const QString& amountText);
// Deducts the amount and credits the points it earns at the point rate parameter.
CounterOutcome Deduct(const OperationContext& ctx, const QString& amountText);
CounterOutcome DeductPoints(const OperationContext& ctx, const QString& pointsText);
// Sells the card at the counter: journals the sale and marks the card sold.
CounterOutcome SellAtCounter(const OperationContext& ctx);

// A reversal at the counter: the mode names what it takes back ("1" a top-up, "2" a
// deduction, "3" a point deduction).
struct ReversalRequest {
  QString mode;
  QString amountText;
  QString pointsText;
};
// A deduction reversed without points typed takes back what its amount earned;
// `showEarnedPoints` is told that figure before the card is asked for.
CounterOutcome Reverse(const OperationContext& ctx, const ReversalRequest& request,
                       const std::function<void(const Money& points)>& showEarnedPoints);
// Takes back a top-up of the amount typed, with the bill number and the card message.
CounterOutcome ReverseTopUp(const OperationContext& ctx, const QString& amountText, const QString& refNo,
                            const QString& faceText);
