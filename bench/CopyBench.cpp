// Moving to a server: `tolva --copy-database` (CopyDatabase) from an SQLite file of 100,000
// cards and 2,000,000 journal rows into an empty schema, against `pg_dump | psql` of the same
// rows from a schema of the server into a database of their own.
//
//   bench_copy [RUNS]                    needs the server TOLVA_TEST_PG names; RUNS defaults to 3
//
// Exits with 0 when every copy succeeded and agreed, 1 when one did not, 2 when the databases or
// the pg_dump | psql copy could not be made.
#include "BenchSupport.h"

#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/DatabaseCopy.h"
#include "db/SchemaScript.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

QString server() { return qEnvironmentVariable("TOLVA_TEST_PG"); }

// The server's connection string with later pairs in its place (the last of a key counts).
QString serverWith(const QString& pairs) {
  const QString s = server();
  return s + (s.endsWith(QLatin1Char(';')) ? QString() : QStringLiteral(";")) + pairs;
}

// A database of its own on the server, dropped at the end.
class ServerDatabase {
public:
  ServerDatabase() = default;
  ServerDatabase(const ServerDatabase&) = delete;
  ServerDatabase& operator=(const ServerDatabase&) = delete;
  ~ServerDatabase() {
    if (name_.isEmpty()) return;
    Connection admin;
    if (Check(admin.open(server()))) Statement(admin, QStringLiteral("DROP DATABASE ") + name_ + QStringLiteral(" WITH (FORCE)"));
  }
  bool make() {
    const QString name = QStringLiteral("benchcopy%1").arg(QRandomGenerator::global()->generate(), 0, 16);
    Connection admin;
    if (!Check(admin.open(server())) || !Statement(admin, QStringLiteral("CREATE DATABASE ") + name)) return false;
    name_ = name;
    return true;
  }
  const QString& name() const { return name_; }

private:
  QString name_;
};

// The tools read the password from the environment, never from their command line.
QProcessEnvironment toolEnvironment() {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  const QString password = ConnectionString(server()).value(QStringLiteral("Password"));
  if (!password.isEmpty()) env.insert(QStringLiteral("PGPASSWORD"), password);
  return env;
}

bool finished(QProcess& p) {
  // A tool that never started reports a normal exit with 0 too.
  if (p.error() != QProcess::FailedToStart && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0) return true;
  std::fprintf(stderr, "%s failed: %s\n", qPrintable(p.program()), p.readAllStandardError().constData());
  return false;
}

// The copy into a fresh schema, timed: 0 when it agreed, 1 when it failed, a table disagrees
// or the source did not hold the rows it was filled with, 2 when there was no target.
int copyOnce(qint64& ns) {
  ServerSchema target;
  Connection to;
  if (!target.make() || !Check(to.open(target.connectionString()))) return 2;
  QElapsedTimer t;
  t.start();
  const Fetched<QList<CopiedTable>> copied = CopyDatabase(gCnn(), to);
  ns = t.nsecsElapsed();
  if (!Check(Done::of(copied))) return 1;
  int status = 0;
  for (const CopiedTable& c : *copied) {
    const qint64 filled = c.table == QLatin1String("Tolva") ? kFilledCards : c.table == QLatin1String("TolvaLog") ? kFilledRows : -1;
    if (c.agrees() && (filled < 0 || c.fromRows == filled)) continue;
    std::fprintf(stderr, "%s: %lld rows (%s) copied as %lld rows (%s)\n", qPrintable(c.table), c.fromRows, qPrintable(c.fromSums),
                 c.toRows, qPrintable(c.toSums));
    status = 1;
  }
  return status;
}

// pg_dump of `schema` piped into psql, in one transaction, into a fresh database, timed; false
// when either tool failed or the journal did not arrive whole.
bool dumpOnce(const QString& schema, qint64& ns) {
  ServerDatabase copy;
  if (!copy.make()) return false;
  const QString database = ConnectionString(server()).value(QStringLiteral("Database"));
  QProcess dump, load;
  dump.setProcessEnvironment(toolEnvironment());
  load.setProcessEnvironment(toolEnvironment());
  dump.setStandardOutputProcess(&load);
  load.setStandardOutputFile(QProcess::nullDevice());
  QElapsedTimer t;
  t.start();
  load.start(QStringLiteral("psql"), QStringList{QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-v"),
                                                 QStringLiteral("ON_ERROR_STOP=1"), QStringLiteral("--single-transaction")} +
                                         ServerToolArgs() + QStringList{QStringLiteral("-d"), copy.name()});
  dump.start(QStringLiteral("pg_dump"),
             ServerToolArgs() + QStringList{QStringLiteral("--schema=") + schema, QStringLiteral("-d"), database});
  dump.waitForFinished(-1);
  load.waitForFinished(-1);
  ns = t.nsecsElapsed();
  const bool dumped = finished(dump);
  if (!finished(load) || !dumped) return false;
  Connection restored;
  if (!Check(restored.open(serverWith(QStringLiteral("Database=") + copy.name() + QStringLiteral(";Search Path=") + schema +
                                      QStringLiteral(";"))))) {
    return false;
  }
  const qint64 rows = Scalar(restored, QStringLiteral("SELECT COUNT(*) FROM TolvaLog")).toLongLong();
  if (rows == kFilledRows) return true;
  std::fprintf(stderr, "pg_dump | psql: %lld journal rows arrived\n", rows);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const int runs = argc > 1 ? std::max(1, QString::fromLocal8Bit(argv[1]).toInt()) : 3;
  BenchDatabase source(QStringLiteral("sqlite"));
  if (!source.open()) return 2;
  // The same rows on the server, in the program's schema, for pg_dump.
  ServerSchema twin;
  Connection twinCnn;
  if (!twin.make() || !Check(twinCnn.open(twin.connectionString())) || !Check(CreateSchema(twinCnn))) return 2;

  std::printf("copy: filling %d cards and %d journal rows in SQLite and in PostgreSQL...\n", kFilledCards, kFilledRows);
  std::fflush(stdout);
  QElapsedTimer t;
  t.start();
  if (!Fill(gCnn(), false)) return 2;
  const qint64 sqliteNs = t.nsecsElapsed();
  t.restart();
  if (!Fill(twinCnn, true)) return 2;
  std::printf("  filled in %.1f s (SQLite) and %.1f s (PostgreSQL)\n", sqliteNs / 1e9, t.nsecsElapsed() / 1e9);
  std::fflush(stdout);
  twinCnn.close();

  std::vector<qint64> ours, theirs;
  bool sound = true;
  for (int i = 0; i < runs; ++i) {
    qint64 a = 0, b = 0;
    const int copied = copyOnce(a);
    if (copied == 2) return 2;
    sound = sound && copied == 0;
    ours.push_back(a);
    if (!dumpOnce(twin.name(), b)) return 2;
    theirs.push_back(b);
    std::printf("  run %d: tolva --copy-database %.1f s, pg_dump | psql %.1f s\n", i + 1, a / 1e9, b / 1e9);
    std::fflush(stdout);
  }
  const double a = MedianMs(ours) / 1e3, b = MedianMs(theirs) / 1e3;
  std::printf("copy %d cards and %d journal rows: tolva --copy-database %.1f s, pg_dump | psql %.1f s, ratio %.2f%s\n", kFilledCards,
              kFilledRows, a, b, a / b, sound ? "" : " (the copy failed or disagreed)");
  return sound ? 0 : 1;
}
