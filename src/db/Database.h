#pragma once
// Opening the databases, the dialect globals of the main connection, and quoting values into SQL.
#include "core/AppFolder.h"
#include "db/Connection.h"

#include <QString>
#include <QVariant>

// Opens the main database the configuration file names (GCNT), asking for a password the
// string lacks or whether to create a missing SQLite file. False with what the operator is to
// be told in `problem`.
bool OpenMainDatabase(QString& problem);
// Opens the connection; false (and the error logged, password masked) when it fails. A SQLite
// file that does not exist is created only when `mayCreate` says so.
bool OpenConnection(const QString& connectionString, Connection& connection, const NewFilePolicy& mayCreate = {});
// Mirrors the dialect of the connection (gCnn when none is given) into TheSettings().dbType, TheSettings().nowFunction and
// TheSettings().dateQuote; a key takes the dialect of that table row instead.
void SetDBType(Connection* connection = nullptr, const QString& key = QString());
// Opens the message database read-only. False with what the operator is to be told in `problem`.
bool OpenMessageDatabase(QString& problem);
// The message database connection (open only when the file was found).
Connection& gMsgCnn();

// A value as the program binds it: a text trimmed (a missing one empty), a date in the
// dialect's stored form (no date is NULL; a value that is not a date fails: display text
// ("115/03/05") is converted by the caller with DateForStorage).
QVariant BoundText(const QVariant& value);
Fetched<QVariant> BoundDate(const QVariant& value, const Dialect& dialect);
