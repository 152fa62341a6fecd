#pragma once
// Opening the databases, the SQL dialect of the main connection, and quoting values into SQL.
#include "db/Connection.h"

#include <QString>
#include <QVariant>

struct Dialect {
  QString name;       // "MS_SQL", "ORACLE", "PG_SQL", "ACCESS", "SQLITE", "SQL_DB"
  QString nowFunc;    // SQL for the current date and time
  QString dateQuote;  // "'", "#" or "TO_DATE"
};

// The dialect table, by provider key ("SQLOLED", "POSTGRE", "SQLITE", ...).
Dialect DialectForKey(const QString& key);
// The provider key of a connection: "POSTGRE" when the connection string names PostgreSQL
// after its first character, else the first seven characters of the provider, upper-cased.
QString ProviderKey(const QString& provider, const QString& connectionString);

bool InitINIgCNT();
bool ConnectADO(const QString& connectionString, Connection& connection);
void SetDBType(Connection* connection = nullptr, const QString& key = QString());
bool InitMsgDB();
// The message database connection (open only when the file was found).
Connection& gMsgCnn();

QVariant QuotStr(const QVariant& value);
QString QuotText(const QVariant& value);
// A date value (QDate, QDateTime or a database text "2026/03/05 ...") as an SQL literal; no
// value gives NULL. Display text ("115/03/05") is converted by the caller with DBDateSave:
// anything else that is not a date raises TolvaError.
QString QuotDate(const QVariant& value, const QString& provider = QString());
