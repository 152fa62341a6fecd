#pragma once
// A card's master row follows its journal: every change of value adds what was journalled.
#include "core/Fetched.h"
#include "core/Money.h"

#include <QDate>
#include <QString>
#include <optional>

class Connection;

// A master-row change that goes with one journal row.
struct MasterPosting {
  QString cardNo;
  Money amount;                   // added to BalAmt (negative takes away)
  Money points;                   // added to BalPoint
  QString operatorId;             // UPDUserID
  QDate day;                      // LastDate
  std::optional<QDate> goodThru;  // a new good-thru date, when the change renews it
};

// Posts the change to the card's master row, every value bound. False with `msg` when the
// database holds no such card ("資料庫中無此卡號") or the update fails.
bool PostToMaster(Connection& db, const MasterPosting& posting, QString& msg);

// What the card's journal holds of transaction type `type`, as amount and points, less what its
// reversals (type `reversalType`) already took back.
Done ReversibleLeft(Connection& db, const QString& cardNo, const QString& type, const QString& reversalType,
                    Money& amount, Money& points);

// Gives the card a new good-thru date, changed by `operatorId`. False when the database holds
// no such card.
Fetched<bool> SetGoodThru(Connection& db, const QString& cardNo, const QDate& goodThru, const QString& operatorId);
