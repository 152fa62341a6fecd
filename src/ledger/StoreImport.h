#pragma once
// Loading a store's daily transaction file into the journal and bringing the card master rows
// it touches up to date. A file is loaded whole or not at all: the removal of an earlier
// import of the same store and day, the inserts, the card refresh and the ledger row commit
// together, and only then is the file moved to the LOG folder.
#include "core/Fetched.h"
#include "ledger/ReportQueries.h"
#include <QDate>
#include <QString>

class Connection;
class Dialect;

struct ImportOutcome {
  bool ok = false;
  // The same content was imported before; its rows were replaced, not doubled.
  bool alreadyImported = false;
  // Another run (a second process on a shared folder) imported this very file a moment ago
  // and moved it away; the day holds its rows once.
  bool byOtherRun = false;
  QString storeID;
  QDate txnDate;
  int rows = 0;
  // Why the file failed (empty when it loaded).
  QString reason;
  // The text of the file's row in a result list: "轉入OK", "轉入OK(已轉入過)",
  // "轉入OK(已由另一作業轉入)", "轉入失敗: ...".
  QString resultText() const;
};

// Loads one store file and, when it committed, moves it to the LOG folder of the application
// folder. Every fault is in the outcome, and the database is as before.
ImportOutcome ImportStoreFile(const QString& path);
ImportOutcome ImportStoreFile(const QString& path, Connection& cnn);

// The card master refresh for the cards a store's day names: balance and points summed over
// each card's whole history (the balance rows of BalanceRowCondition), the sale date and sold status from a
// type "13" row of the day, a new good-thru date from its type "21" row. Runs inside the
// caller's transaction; answers the failure of a statement.
Done RefreshCardBalances(Connection& cnn, const QString& storeID, const QDate& txnDate);
// Its statements, in the order they run.
QList<BoundSql> CardRefreshSql(const Dialect& d, const QString& storeID, const QDate& txnDate);

// Creates the ledger of imported files, and the journal's link to it, in a database made
// before they existed.
Done EnsureImportLedger(Connection& cnn);

// The folder loaded files are moved to.
QString ImportedFilesFolder();
