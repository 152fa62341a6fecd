#pragma once
// The database schema scripts built into the program, and a runner for them.
#include <QString>
#include <QStringList>

class Connection;

// The statements of a script: split at semicolons outside string literals, quoted names,
// comments and dollar-quoted bodies ($$ ... $$, $tag$ ... $tag$). Comments are kept inside
// the statements they belong to; statements that hold nothing but comments are dropped.
QStringList SplitSqlScript(const QString& script);

// The text of a built-in script: "sqlite.sql", "postgresql.sql" or "sqlserver.sql".
// Throws TolvaError when there is no such script.
QString SchemaScriptText(const QString& name);

// The built-in script for a dialect ("SQLITE", "PG_SQL"); empty when the program cannot
// create the schema on that dialect itself.
QString SchemaScriptForDialect(const QString& dialect);

// Runs every statement of a script in one transaction: all of it or nothing.
void RunSqlScript(Connection& cnn, const QString& script);

// True when the connected database has a table of that name (any letter case).
bool HasTable(Connection& cnn, const QString& table);

// Creates the schema of the dialect on the connection (the built-in script).
void CreateSchema(Connection& cnn, const QString& dialect);

// Start-up: an embedded database that has no card table yet (a new file) gets the schema and
// the code descriptions. Errors are reported under "InitSchema"; false when it failed.
bool InitSchema();
