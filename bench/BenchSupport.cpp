#include "BenchSupport.h"

#include "core/Settings.h"
#include "db/Connection.h"
#include "db/SchemaScript.h"
#include "db/Database.h"

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

bool BenchDatabase::open() {
  QString cnt = QStringLiteral("Provider=SQLite;Data Source=") + sqliteFile();
  if (postgres_) {
    const QString server = qEnvironmentVariable("TOLVA_TEST_PG");
    if (server.isEmpty()) {
      std::fprintf(stderr, "TOLVA_TEST_PG names no PostgreSQL server\n");
      return false;
    }
    schema_ = QStringLiteral("bench%1").arg(QRandomGenerator::global()->generate(), 0, 16);
    Connection admin;
    if (!Check(admin.open(server)) || !Statement(admin, QStringLiteral("CREATE SCHEMA ") + schema_)) return false;
    cnt = server + (server.endsWith(QLatin1Char(';')) ? QString() : QStringLiteral(";")) + QStringLiteral("Search Path=") +
          schema_ + QStringLiteral(";");
  }
  if (!OpenConnection(cnt, gCnn(), [](const QString&) { return true; })) return false;
  SetDBType();
  return Check(CreateSchema(gCnn()));
}

BenchDatabase::~BenchDatabase() {
  gCnn().close();
  if (schema_.isEmpty()) return;
  Connection admin;
  if (!Check(admin.open(qEnvironmentVariable("TOLVA_TEST_PG")))) return;
  Statement(admin, QStringLiteral("SET client_min_messages TO warning"));
  Statement(admin, QStringLiteral("DROP SCHEMA ") + schema_ + QStringLiteral(" CASCADE"));
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

double MedianMs(std::vector<qint64> ns) {
  if (ns.empty()) return 0;
  std::sort(ns.begin(), ns.end());
  return ns[ns.size() / 2] / 1e6;
}
