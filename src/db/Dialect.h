#pragma once
// The SQL dialect of a connection, built once when the connection opens (Connection::dialect).
// Everything that differs between the databases is asked here: the current time, date
// literals and ranges, the generated row number, the numbering call, the schema script, the
// adaptation of statement texts, and how the connection is set up. No other code decides from
// a provider name which database it talks to.
#include "core/Fetched.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>

class Connection;
class ConnectionString;
class QSqlDatabase;

// How NextNumber draws a serial number.
enum class Numbering {
  Procedure,  // the schema's getNoNext procedure (SQL Server and the other server dialects)
  Function,   // the schema's getnonext function (PostgreSQL)
  InProgram,  // the program reads and advances the xxNO row itself (SQLite, Access)
};

// Asked before a SQLite database file that does not exist is created; answers true to create
// it. Without one the file is never created.
using NewFilePolicy = std::function<bool(const QString& fullPath)>;

// The provider key of a connection: "POSTGRE" when the connection string names PostgreSQL
// after its first character, else the first seven characters of the provider, upper-cased.
QString ProviderKey(const QString& provider, const QString& connectionString);

// A date and time as an SQL literal in a date-quote style ("'", "#" or "TO_DATE"):
// '2026/03/05 14:07:09', #2026/03/05 14:07:09# or
// TO_DATE('2026/03/05 14:07:09','YYYY/MM/DD HH24:MI:SS').
QString SqlDateLiteral(const QDateTime& t, const QString& dateQuote);

// The ODBC connection string for a MSDASQL or SQLOLEDB connection string: the generic
// provider passes its pairs on; SQL Server gets the string of its ODBC driver, named by
// Driver= (else "ODBC Driver 18 for SQL Server"). Every value is quoted as ODBC needs it.
QString OdbcConnectionString(const ConnectionString& cs);

class Dialect {
public:
  // The generic dialect ("SQL_DB") of a connection that is not open.
  Dialect();
  // The dialect table, by provider key ("SQLOLED", "MSDAORA", "MSDASQL", "MICROSO", "POSTGRE",
  // "SQLITE"; any other key is the generic "SQL_DB"). Such a dialect only writes SQL; it
  // opens nothing.
  static Dialect forKey(const QString& key);
  // The dialect of a connection string; fails when no driver serves its provider.
  static Fetched<Dialect> forConnection(const ConnectionString& cs);

  QString name() const { return name_; }            // "MS_SQL", "ORACLE", "PG_SQL", "ACCESS", "SQLITE", "SQL_DB"
  QString nowFunc() const { return nowFunc_; }      // SQL for the database's current date and time
  QString dateQuote() const { return dateQuote_; }  // "'", "#" or "TO_DATE"

  // A date and time as an SQL literal of this dialect (SqlDateLiteral).
  QString dateLiteral(const QDateTime& t) const { return SqlDateLiteral(t, dateQuote_); }
  // A date and time as a bound value, in the form the dialect stores and compares.
  QVariant dateValue(const QDateTime& t) const;
  // A day (at midnight) as a bound value, in the same text as dateValue.
  QVariant dayValue(const QDate& day) const;
  // The condition "column lies on one of the days first .. last" (both included, any time of
  // day): column >= first 00:00:00 AND column < the day after last.
  QString dateRange(const QString& column, const QDate& first, const QDate& last) const;
  // The query that answers the key this session generated last, run after the INSERT.
  QString generatedKeyQuery() const;
  // How serial numbers are drawn, and for the database's own routine the query whose first
  // row holds the number and its text form (columns 0 and 1); it binds the number's code and
  // what it is numbered by, in that order.
  Numbering numbering() const;
  QString numberingQuery() const;
  // The built-in schema script ("sqlite.sql", "postgresql.sql"); empty when the program cannot
  // create the schema on this dialect itself.
  QString schemaScript() const;
  // True when the program sets up the schema of a database without one at start-up (the
  // embedded database); a server's schema is its administrator's.
  bool createsSchemaItself() const;
  // True where a read is kept prepared for the next run of the same text: in an embedded engine
  // preparing costs as much as reading a screen of rows, while a server may give a statement it
  // keeps a generic plan.
  bool keepsPreparedReads() const;
  // A query with one bound value, the table name, that counts the tables of that name (any
  // letter case); empty when the driver's table list is to be asked instead.
  QString tableCountQuery() const;
  // Schema versions: where the version is kept (a table, or nothing for SQLite's header), the
  // query that reads it, the statements that record one, and the statement that makes a second
  // upgrader wait for the first (empty when the transaction's own lock does).
  QString schemaVersionTable() const;
  QString schemaVersionQuery() const;
  QStringList schemaVersionStatements(int version) const;
  QString schemaUpgradeLock() const;
  // The database file of an embedded database, as an absolute path (empty for a server).
  QString embeddedFile(const ConnectionString& cs) const;
  // The statement that writes a consistent copy of the whole database into the file bound to
  // it (SQLite's VACUUM INTO); empty where the server's own tools copy it.
  QString copyDatabaseStatement() const;
  // The query that sets a table's RNo counter past its highest row (empty where none is kept
  // apart from the rows).
  QString restartRowNumbers(const QString& table) const;
  // A query (beginning with its SELECT) that answers only its first n rows: TOP n after the
  // SELECT where the database wants it there, otherwise a clause at its end.
  QString firstRows(const QString& select, int n) const;
  // An index made only when the database has none of that name.
  QString createIndexIfMissing(const QString& name, const QString& table, const QString& columns) const;
  // An index dropped when the database has one of that name.
  QString dropIndexIfExists(const QString& name, const QString& table) const;
  // The statement text as this dialect runs it.
  QString adapt(const QString& sql) const;
  // Transactions: when not empty, they run as the statements beginStatement(), "COMMIT" and
  // "ROLLBACK"; otherwise through the driver's own calls.
  QString beginStatement() const;

  // Connection::open: the Qt driver, its settings for the connection string, and the session
  // set-up once it is open. A connection opened read-only (Mode=Read) changes nothing.
  QString driverName() const;
  Done configure(QSqlDatabase& db, const ConnectionString& cs, const NewFilePolicy& mayCreate) const;
  Done prepareSession(Connection& cnn, const ConnectionString& cs) const;

private:
  enum class Engine { None, SQLite, PostgreSQL, Odbc };
  Dialect(QString name, QString nowFunc, QString dateQuote);

  QString name_;
  QString nowFunc_;
  QString dateQuote_;
  Engine engine_ = Engine::None;
  bool readOnly_ = false;
};
