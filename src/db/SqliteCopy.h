#pragma once
// Copies of the embedded SQLite database: taken while the program may be writing, and checked.
#include "core/Fetched.h"

#include <QList>
#include <QString>
#include <functional>

class Connection;

struct TableRows {
  QString table;
  qint64 rows = 0;
};

// Writes a consistent copy of the SQLite file `source` into `target` (which must not exist) and
// checks it: its integrity, and every table's row count against the file at the moment of the
// copy. Others may write meanwhile; they are not held up. `progress`, when given, hears the
// pages copied so far and of the whole file. Answers the counts.
using CopyProgress = std::function<void(int copied, int total)>;
Fetched<QList<TableRows>> CopySqliteFile(const QString& source, const QString& target, const CopyProgress& progress = {});

// Checks a copy: its integrity, and that it holds the card tables. Answers its row counts.
Fetched<QList<TableRows>> CheckSqliteFile(const QString& file);

// Puts the checked copy `source` into the SQLite file `target` in place, in one write
// transaction, while this program and others may have it open: they see the copy from their next
// statement on, and a failure leaves the file as it was. The file as it stood is first copied
// into `aside`. A copy made by a newer program is refused. Answers the copy's row counts.
Fetched<QList<TableRows>> RestoreSqliteFile(const QString& source, const QString& target, const QString& aside,
                                            const CopyProgress& progress = {});

// The file of the embedded database the connection string names ("" for a server).
QString SqliteFileOf(const QString& connectionString);
