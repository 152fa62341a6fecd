#pragma once
// The database schema scripts built into the program, and a runner for them.
#include "core/Fetched.h"

#include <QString>
#include <QStringList>

class Connection;

// The statements of a script: split at semicolons outside string literals, quoted names,
// comments and dollar-quoted bodies ($$ ... $$, $tag$ ... $tag$). Comments are kept inside
// the statements they belong to; statements that hold nothing but comments are dropped.
QStringList SplitSqlScript(const QString& script);

// The text of a built-in script: "sqlite.sql", "postgresql.sql" or "sqlserver.sql".
// Throws TolvaError when there is no such script.
Fetched<QString> SchemaScriptText(const QString& name);

// Runs every statement of a script in one transaction: all of it or nothing.
Done RunSqlScript(Connection& cnn, const QString& script);

// True when the connected database has a table of that name (any letter case).
Fetched<bool> HasTable(Connection& cnn, const QString& table);

// True when the connected database's table has a column of that name (any letter case).
bool HasColumn(Connection& cnn, const QString& table, const QString& column);

// Creates the schema on the connection with the built-in script of its dialect.
Done CreateSchema(Connection& cnn);
