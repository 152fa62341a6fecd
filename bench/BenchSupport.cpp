#include "BenchSupport.h"

#include "core/Settings.h"
#include "db/Connection.h"
#include "db/ConnectionString.h"
#include "db/SchemaScript.h"
#include "db/Database.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QSqlRecord>
#include <QRandomGenerator>
#include <algorithm>
#include <cstdio>

void NoOperator::messageBox(const QString& text, const QString&, MsgIcon) { std::fprintf(stderr, "%s\n", qPrintable(text)); }
void NoOperator::showMessage(const QString& text, int) { std::fprintf(stderr, "%s\n", qPrintable(text)); }

BenchDatabase::BenchDatabase(const QString& target) : postgres_(target == QLatin1String("postgres")) {
  EditSettings().appPath = dir_.path();
  EditSettings().appName = QStringLiteral("bench");
  EditSettings().errorLogFile = dir_.filePath(QStringLiteral("bench.ERR"));
}

bool ServerSchema::make() {
  const QString server = qEnvironmentVariable("TOLVA_TEST_PG");
  if (server.isEmpty()) {
    std::fprintf(stderr, "TOLVA_TEST_PG names no PostgreSQL server\n");
    return false;
  }
  const QString name = QStringLiteral("bench%1").arg(QRandomGenerator::global()->generate(), 0, 16);
  Connection admin;
  if (!Check(admin.open(server)) || !Statement(admin, QStringLiteral("CREATE SCHEMA ") + name)) return false;
  name_ = name;
  return true;
}

QString ServerSchema::connectionString() const {
  const QString server = qEnvironmentVariable("TOLVA_TEST_PG");
  return server + (server.endsWith(QLatin1Char(';')) ? QString() : QStringLiteral(";")) + QStringLiteral("Search Path=") +
         name_ + QStringLiteral(";");
}

ServerSchema::~ServerSchema() {
  if (name_.isEmpty()) return;
  Connection admin;
  if (!Check(admin.open(qEnvironmentVariable("TOLVA_TEST_PG")))) return;
  Statement(admin, QStringLiteral("SET client_min_messages TO warning"));
  Statement(admin, QStringLiteral("DROP SCHEMA ") + name_ + QStringLiteral(" CASCADE"));
}

QStringList ServerToolArgs() {
  const ConnectionString cs(qEnvironmentVariable("TOLVA_TEST_PG"));
  return {QStringLiteral("-h"), cs.value(QStringLiteral("Host")), QStringLiteral("-p"), cs.value(QStringLiteral("Port")),
          QStringLiteral("-U"), cs.value(QStringLiteral("User ID"))};
}

bool BenchDatabase::open() {
  QString cnt = QStringLiteral("Provider=SQLite;Data Source=") + sqliteFile();
  if (postgres_) {
    if (!schema_.make()) return false;
    cnt = schema_.connectionString();
  }
  if (!OpenConnection(cnt, gCnn(), [](const QString&) { return true; })) return false;
  SetDBType();
  return Check(CreateSchema(gCnn()));
}

// The schema goes after the connection, with the member.
BenchDatabase::~BenchDatabase() { gCnn().close(); }

bool Fill(Connection& cnn, bool pg) {
  const int kCards = kFilledCards, kRows = kFilledRows;
  auto from = [pg](int last) {
    return pg ? QStringLiteral(" FROM generate_series(0, %1) AS g(i)").arg(last) : QStringLiteral(" FROM n");
  };
  auto cte = [pg](int last) {
    return pg ? QString() : QStringLiteral(" WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) ").arg(last);
  };
  const QString store = pg ? QStringLiteral("lpad((i % 50)::text, 3, '0')") : QStringLiteral("printf('%03d', i % 50)");
  const QString at = pg ? QStringLiteral("timestamp '2026-01-01 10:00:00'") : QStringLiteral("'2026/01/01 10:00:00'");
  const QString thru = pg ? QStringLiteral("make_timestamp(2025 + (i % 36) / 12, 1 + i % 12, 28, 0, 0, 0)")
                          : QStringLiteral("printf('%04d/%02d/28 00:00:00', 2025 + (i % 36) / 12, 1 + i % 12)");
  TransactionGuard tx(cnn);
  bool ok = Statement(cnn, QStringLiteral("INSERT INTO TolvaLog (TxnDept, TxnType, CardNo, TxnDate, TxnAmt, TxnPoint) ") + cte(kRows - 1) +
              QStringLiteral(" SELECT ") + store +
              QStringLiteral(" , CASE WHEN i < %1 THEN '11' WHEN i % 4 = 0 THEN '21' WHEN i % 4 = 1 THEN '22' "
                             " WHEN i % 4 = 2 THEN '23' ELSE '31' END , 'V' || (i % %1) , ")
                  .arg(kCards) +
              at +
              QStringLiteral(" , CASE WHEN i < %1 THEN 1000 WHEN i % 4 = 0 THEN 100 WHEN i % 4 = 1 THEN -20 "
                             " WHEN i % 4 = 2 THEN 0 ELSE -10 END , CASE WHEN i >= %1 AND i % 4 = 2 THEN -1 ELSE 0 END ")
                  .arg(kCards) +
              from(kRows - 1));
  ok &= Statement(cnn, QStringLiteral("INSERT INTO Tolva (CardNo, Status, IssueDept, IssueDate, GoodThru, BalAmt, BalPoint) ") +
              cte(kCards - 1) + QStringLiteral(" SELECT 'V' || i , CASE i % 10 WHEN 8 THEN '99' WHEN 9 THEN '81' ELSE '11' END , ") +
              store + QStringLiteral(" , ") + at + QStringLiteral(" , ") + thru +
              QStringLiteral(" , 1000 + CASE i % 4 WHEN 0 THEN 1900 WHEN 1 THEN -380 WHEN 3 THEN -190 ELSE 0 END "
                             " + CASE WHEN i % 100 = 7 THEN 1 ELSE 0 END , CASE WHEN i % 4 = 2 THEN -19 ELSE 0 END ") +
              from(kCards - 1));
  ok &= Statement(cnn, QStringLiteral("INSERT INTO VoidCard (CardNo, Remark) ") + cte(kCards - 1) +
              QStringLiteral(" SELECT 'V' || i , '' ") + from(kCards - 1) +
              QStringLiteral(" WHERE i % 10 = 8 AND i % 1000 <> 8"));
  ok &= Check(tx.commit());
  ok &= Statement(cnn, QStringLiteral("ANALYZE"));
  return ok;
}


bool Check(const Done& step) {
  if (!step) std::fprintf(stderr, "%s\n", qPrintable(step.failure().description));
  return bool(step);
}

bool Statement(Connection& cnn, const QString& sql, const QVariantList& values) {
  return Check(Done::of(cnn.execute(sql, values)));
}

QVariant Scalar(Connection& cnn, const QString& sql) {
  const Fetched<QVariant> value = cnn.scalar(sql);
  Check(Done::of(value));
  return value.valueOr();
}

void RawRead(QSqlQuery& q, const QString& sql, const QVariantList& bound, std::vector<QVariant>& values) {
  q.prepare(gCnn().dialect().adapt(sql));
  for (const QVariant& v : bound) q.addBindValue(v);
  q.exec();
  const int n = q.record().count();
  while (q.next()) {
    for (int c = 0; c < n; ++c) values.push_back(q.value(c));
  }
}

qint64 Timed(const std::function<void()>& work) {
  QElapsedTimer t;
  t.start();
  work();
  return t.nsecsElapsed();
}

QString InlinedSql(const BoundSql& s) {
  QString sql = s.sql;
  for (const QVariant& v : s.values) {
    sql.replace(sql.indexOf(QLatin1Char('?')), 1, QLatin1Char('\'') + v.toString() + QLatin1Char('\''));
  }
  return sql + QStringLiteral(" ;");
}

Shell Shell::sqlite(const QString& file) {
  return Shell{QStringLiteral("sqlite3"), {file}, {QStringLiteral("-bail"), file}};
}

Shell Shell::postgres(const QString& schema) {
  const ConnectionString cs(qEnvironmentVariable("TOLVA_TEST_PG"));
  const QStringList session = QStringList{QStringLiteral("-X"), QStringLiteral("-q")} + ServerToolArgs() +
                              QStringList{QStringLiteral("-d"), cs.value(QStringLiteral("Database"))};
  Shell shell{QStringLiteral("psql"), session + QStringList{QStringLiteral("-c")},
              QStringList{QStringLiteral("-v"), QStringLiteral("ON_ERROR_STOP=1")} + session};
  shell.env.insert(QStringLiteral("PGOPTIONS"), QStringLiteral("-c search_path=") + schema);
  return shell;
}

void Shell::run(const QString& sql) const {
  QProcess p;
  p.setProcessEnvironment(env);
  p.setStandardOutputFile(QProcess::nullDevice());
  p.start(program, args + QStringList{sql});
  p.waitForFinished(-1);
  if (p.exitCode() != 0) std::fprintf(stderr, "%s: %s\n", qPrintable(program), p.readAllStandardError().constData());
}

std::optional<qint64> Shell::runScript(const QString& path) const {
  QProcess p;
  p.setProcessEnvironment(env);
  p.setStandardInputFile(path);
  p.setStandardOutputFile(QProcess::nullDevice());
  QElapsedTimer t;
  t.start();
  p.start(program, scriptArgs);
  p.waitForFinished(-1);
  const qint64 ns = t.nsecsElapsed();
  if (p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0) return ns;
  std::fprintf(stderr, "%s: %s\n", qPrintable(program), p.readAllStandardError().constData());
  return std::nullopt;
}

double MedianMs(std::vector<qint64> ns) {
  if (ns.empty()) return 0;
  std::sort(ns.begin(), ns.end());
  return ns[ns.size() / 2] / 1e6;
}
