#pragma once
// Functions that the program's SQL texts use and SQLite lacks, registered on every SQLite
// connection so that the same statements run on each dialect.
#include <QSqlDatabase>

// False when the connection has no SQLite handle.
bool RegisterSqliteFunctions(QSqlDatabase& db);

// LEFT and RIGHT are keywords to SQLite, so calls left(x, n) and right(x, n) outside string
// literals are passed to the registered functions under other names. Everything else stays as written.
QString AdaptSqlForSqlite(const QString& sql);

// The one text form of dates in SQLite: sortable, and what dates are bound as.
inline constexpr const char* kSqliteDateFormat = "yyyy/MM/dd HH:mm:ss";
