#pragma once
// Moving to a server: every table of one database copied into an empty one, checked by its row
// counts and the sums of its amounts.
#include "core/Fetched.h"

#include <QList>
#include <QString>

class Connection;

// One table as both databases hold it after the copy.
struct CopiedTable {
  QString table;
  qint64 fromRows = 0, toRows = 0;
  QString fromSums, toSums;  // the amounts and points summed, "" for a table without them
  bool agrees() const { return fromRows == toRows && fromSums == toSums; }
};

// Copies every table of `from` into `to`, which must hold no tables of the program yet: the
// schema by `to`'s own script, the rows with their row numbers, and the row-number counters
// after them, all in one transaction that commits only when every table agrees. Answers each
// table as both sides hold it.
Fetched<QList<CopiedTable>> CopyDatabase(Connection& from, Connection& to);
