#pragma once
// The in-memory records of the card tables, one variant per column in table order, and the
// writers that insert them. The writers set FileDate themselves and hand the generated row
// number back in RNo.
#include <QVariant>

class Connection;

// A row of Tolva (card master).
struct CardRow {
  QVariant RNo, BatchNo, CardType, CardNo, Status, IssueDate, FirstDate, LastDate, GoodThru, BalAmt,
      BalPoint, IssueDept, OCardNo, POSID, UserID, UpdUserID, Remark;
};

// A row of TolvaLog (card transaction journal).
struct JournalRow {
  QVariant RNo, TxnDept, TxnType, CardNo, TxnDate, TxnAmt, TxnPoint, RefCheckNo, POSID, UserID, Remark;
};

// A row of VoidCard (withdrawn cards).
struct BlacklistRow {
  QVariant RNo, CardNo, Remark;
};

// Each inserts one row on the given connection (so the caller's transaction covers it), in
// that connection's dialect, and answers true. Errors are reported under the writer's name and answer false.
bool InsertJournalRow(JournalRow& rec, Connection& cnn);
bool InsertCard(CardRow& rec, Connection& cnn);
bool InsertBlacklistRow(BlacklistRow& rec, Connection& cnn);

