#pragma once
// One card operation: the only road by which the program reads or changes a card.
//
//   wait for the card and read it -> check it -> begin the transaction -> write the rows ->
//   write the stripe -> print the face -> commit -> eject
//
// No transaction is open while the program waits for the operator. The card is still in the
// reader when the commit runs, so a failed commit puts the card's previous stripe and face back
// (a new card is blanked) before the card leaves. Only one operation runs at a time in the
// process; while it runs the device polls let paint and timer events through, not operator
// input. When the face cannot be printed and the stripe, already rewritten, cannot be put back
// either, the rows are committed to match the stripe and the operator is told to reprint the
// face. Every operation ejects the card and, when it has an action, writes one row to the
// application log (remark "系統錯誤" on failure, "卡面待重印" when committed with a wrong face).
#include "core/Fetched.h"
#include "device/CardImage.h"

class Connection;

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <cstdint>
#include <functional>
#include <optional>

class CardOperation {
public:
  // May refuse the card before anything is written; may ask the operator. False with `msg`.
  using Check = std::function<bool(const CardRead& card, QString& msg)>;
  // The database rows, inside the operation's transaction. Sets `next` to the card's new
  // values (CardImage::Wiped to blank it), or leaves it empty to leave the card as it is.
  // False with `msg` rolls back.
  using Rows = std::function<bool(const CardRead& card, std::optional<CardImage>& next, QString& msg)>;

  // `label` names the operation in the error log; `action` is its application-log action
  // (empty: the caller logs). Its rows are written through `db`.
  CardOperation(Connection& db, QString label, QString action);
  // The same on the main connection.
  CardOperation(QString label, QString action);

  Check check;
  Rows rows;                       // none: the card is only read
  bool requireRecord = true;       // refuse a card whose stripe holds no card record
  bool requireBlank = false;       // refuse a card whose stripe holds anything
  bool logWhenCancelled = true;    // false: a cancelled card wait ends quietly (a loop's way out)
  // A stripe the reader cannot read is taken for one without a record instead of refused.
  bool acceptUnreadable = false;
  // Application-log texts; by default the message, and the card number.
  std::function<QString(const CardRead&)> successText;
  QString successRemark;           // the remark of the success row (empty by default)
  std::function<QString(const CardRead&, const QString& msg)> failureText;

  // Runs the operation. True when the card was read, checked, written and committed.
  bool run(QString& msg);

  const CardRead& card() const { return card_; }
  // The card wait's outcome: -21 cancelled, -99 the reader did not open, a card state, or 0.
  std::int32_t waitCode() const { return waitCode_; }
  bool cancelled() const { return waitCode_ == -21; }
  // The rows were committed.
  bool committed() const { return committed_; }
  // The operation was refused, not broken: the operator cancelled the card wait, or the card
  // was turned down by the operation's rules (its log row says "作業拒絕", not "系統錯誤").
  bool refused() const { return refused_; }
  // Committed although the operation failed: the face could not be printed and the stripe,
  // already rewritten, could not be put back, so the rows follow the stripe. The face must be
  // reprinted (the message says how).
  bool faceUnprinted() const { return committed_ && unprinted_.has_value(); }

  // True while an operation runs in this process.
  static bool busy();
  // What a second operation is told.
  static QString busyText();
  static QString notBlankText();

private:
  bool steps(QString& msg);
  bool readCard(QString& msg);
  bool writeCard(const CardImage& next, QString& msg);
  bool wipeCard(const CardImage& next, QString& msg);
  void putBack(const CardImage& written, QString& msg);
  bool restoreStripe();
  bool restoreFace(const CardImage& written);
  void reportFaceNotRestored(const QString& cardNo, QString& msg);
  void commitForward(const CardImage& written, QString& msg);
  void writeLog(bool ok, const QString& msg);

  Connection& db_;
  QString label_;
  QString action_;
  CardRead card_;
  std::int32_t waitCode_ = 0;
  bool committed_ = false;
  bool refused_ = false;
  std::optional<CardImage> unprinted_;  // the stripe keeps these values; the face does not show them
  QString reprintText_;
};

// A failure text that names the card, when one was read and the text does not name it yet.
QString WithCardNo(const QString& msg, const CardRead& card);

// A check or row step whose statement failed: logged under the operation's label, and false, so
// that the operation fails (not refuses) and puts the card back.
bool StepFailed(const QString& label, const Failure& failure);

// What one card operation did, for the window that ran it.
struct CardOutcome {
  bool ok = false;
  QString message;            // why it failed
  CardRead card;              // the card as read
  bool cancelled = false;     // the operator ended the wait for a card
  bool busy = false;          // another card operation was running
  std::int32_t waitCode = 0;  // the card wait's outcome (see CardOperation::waitCode)
  QString detail;             // what the operation adds (the change it journalled)
  bool refused = false;       // turned down before a card was asked for
  bool rowsFailed = false;    // the database turned the rows down (not the card)

  // The operation's result, after `op.run` answered `ok` with `message`.
  static CardOutcome Of(const CardOperation& op, bool ok, const QString& message);
  // A run of cards ends here: the operator ended it, or the reader cannot go on.
  bool endsRun() const { return cancelled || waitCode == -2 || waitCode == -99 || busy; }
};
