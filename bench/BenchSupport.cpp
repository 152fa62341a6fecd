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
    admin.open(server);
    admin.execute(QStringLiteral("CREATE SCHEMA ") + schema_);
    cnt = server + (server.endsWith(QLatin1Char(';')) ? QString() : QStringLiteral(";")) + QStringLiteral("Search Path=") +
          schema_ + QStringLiteral(";");
  }
  if (!OpenConnection(cnt, gCnn(), [](const QString&) { return true; })) return false;
  SetDBType();
  CreateSchema(gCnn());
  return true;
}

BenchDatabase::~BenchDatabase() {
  gCnn().close();
  if (schema_.isEmpty()) return;
  Connection admin;
  admin.open(qEnvironmentVariable("TOLVA_TEST_PG"));
  admin.execute(QStringLiteral("SET client_min_messages TO warning"));
  admin.execute(QStringLiteral("DROP SCHEMA ") + schema_ + QStringLiteral(" CASCADE"));
}

double MedianMs(std::vector<qint64> ns) {
  if (ns.empty()) return 0;
  std::sort(ns.begin(), ns.end());
  return ns[ns.size() / 2] / 1e6;
}
