#pragma once
// How the value owed on the cards moved over a period: the opening balance, each kind of
// movement, the closing balance, all from the journal, and a check of that closing against the
// master rows taken back to the period's last day (the liability report's rule). The journal
// side is what makes it a proof: both differences must be 0.
#include "core/Fetched.h"
#include "core/Money.h"
#include "ledger/ReportQueries.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariantList>

class Connection;
class Dialect;

struct RollLine {
  QString label;
  qint64 count = 0;  // cards for the balances, journal rows for the movements
  Money amt, points;
};

struct RollForward {
  RollLine opening;
  QList<RollLine> movements;  // in the order printed, each signed as it moves the balance
  RollLine closing;
  RollLine master;            // the closing as the master rows give it
  // closing − (opening + movements), and closing − master.
  Money rollAmt() const;
  Money rollPoints() const;
  Money checkAmt() const { return closing.amt - master.amt; }
  Money checkPoints() const { return closing.points - master.points; }
  bool ties() const;
  // Every line in the order printed, the two differences last ("差額", "核對差額").
  QList<RollLine> lines() const;
  // What is not 0, one sentence each (none when the report ties).
  QStringList problems() const;
};

inline const QString kRollForwardHeadings = QStringLiteral("項目|筆數|金額|點數");
QStringList RollCells(const RollLine& line);

// The journal statements the roll-forward runs (the master side is LiabilitySql of `to`).
QList<BoundSql> RollForwardSql(const Dialect& dialect, const QDate& from, const QDate& to, const QString& store = {});

// The roll-forward of the days `from` to `to` (both whole); with a store, only the cards that
// store issued (journal rows of cards without a master row then do not count).
Fetched<RollForward> ComputeRollForward(Connection& cnn, const QDate& from, const QDate& to, const QString& store = {});
