#pragma once
// What every benchmark needs: an application folder of its own, an operator who answers
// nothing, the database under test (an SQLite file, or a schema of its own on the server named
// by TOLVA_TEST_PG) and the median of repeated timings.
#include "core/OperatorDialogs.h"
#include "db/Connection.h"

#include "ledger/ReportQueries.h"

#include <QProcessEnvironment>
#include <QSqlQuery>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <optional>
#include <vector>

// No operator: anything the program would show goes to stderr. A card wait runs `onWait`
// (nothing given: the wait is cancelled).
class NoOperator final : public OperatorDialogs {
public:
  std::function<bool(const std::function<bool()>&)> onWait;

  void messageBox(const QString& text, const QString&, MsgIcon) override;
  bool askYesNo(const QString&, const QString&) override { return false; }
  QString inputBox(const QString&, const QString&, const QString&) override { return {}; }
  void showMessage(const QString& text, int) override;
  bool waitForCard(const std::function<bool()>& poll) override { return onWait ? onWait(poll) : false; }
  QString openFileName(const QString&, const QString&, const QString&) override { return {}; }
  QString saveFileName(const QString&, const QString&, const QString&) override { return {}; }
  QString selectFolder(const QString&, const QString&) override { return {}; }
  bool openDocument(const QString&) override { return false; }
  void beep() override {}
};

// A schema of its own on the server TOLVA_TEST_PG names, dropped with all it holds at the end.
class ServerSchema {
public:
  ServerSchema() = default;
  ~ServerSchema();
  ServerSchema(const ServerSchema&) = delete;
  ServerSchema& operator=(const ServerSchema&) = delete;
  // False (with the reason on stderr) when there is no server or the schema could not be made.
  bool make();
  const QString& name() const { return name_; }
  // The server's connection string with the schema as the search path.
  QString connectionString() const;

private:
  QString name_;
};

// -h, -p and -U of the server TOLVA_TEST_PG names, for its command-line tools.
QStringList ServerToolArgs();

// The application folder (a temporary one) and the database of `target` ("sqlite" or
// "postgres"), opened as gCnn with the program's schema; the schema is dropped at the end.
class BenchDatabase {
public:
  explicit BenchDatabase(const QString& target);
  ~BenchDatabase();
  // False (with the reason on stderr) when the database could not be made.
  bool open();
  bool postgres() const { return postgres_; }
  QString folder() const { return dir_.path(); }
  QString sqliteFile() const { return dir_.filePath(QStringLiteral("bench.db")); }
  const QString& schema() const { return schema_.name(); }

private:
  QTemporaryDir dir_;
  bool postgres_;
  ServerSchema schema_;
};

// What the report and copy benchmarks fill an empty database with (`pg`: the connection is
// PostgreSQL's): kFilledCards cards and kFilledRows journal rows. Card i: an issue row of 1000,
// then 19 rows of one type by i % 4; every hundredth card's master is one off, every thousandth
// blacklisted card is missing from VoidCard. False when a statement failed (on stderr).
constexpr int kFilledCards = 100000;
constexpr int kFilledRows = 2000000;
bool Fill(Connection& cnn, bool pg);

double MedianMs(std::vector<qint64> nanoseconds);
// A plain QtSql read on `q` (gCnn's): prepares `sql`, binds, and appends every value read.
void RawRead(QSqlQuery& q, const QString& sql, const QVariantList& bound, std::vector<QVariant>& values);
qint64 Timed(const std::function<void()>& work);

// A statement with its values written in, for a shell.
QString InlinedSql(const BoundSql& statement);

// The database's own shell: sqlite3 on an SQLite file, or psql on a schema of the server
// TOLVA_TEST_PG names. Its output goes nowhere; a failure is written to stderr.
struct Shell {
  QString program;
  QStringList args;  // the statement is the last argument
  QStringList scriptArgs;  // a script on standard input, stopping at its first failure
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  static Shell sqlite(const QString& file);
  static Shell postgres(const QString& schema);
  void run(const QString& sql) const;
  // The script file's statements; answers the nanoseconds the shell ran, or nothing when it failed.
  std::optional<qint64> runScript(const QString& path) const;
};

// A statement the benchmark needs: its failure is written to stderr, and the benchmark goes on
// (its own check then fails).
bool Statement(Connection& cnn, const QString& sql, const QVariantList& values = {});
QVariant Scalar(Connection& cnn, const QString& sql);
bool Check(const Done& step);
