#include "db/SchemaSetup.h"

#include "core/Clock.h"
#include "core/ErrorReport.h"
#include "core/OperatorDialogs.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/Parameters.h"
#include "db/SchemaScript.h"
#include "db/SchemaUpgrade.h"

#include <QDir>
#include <QFileInfo>

bool CreateSchemaIfNew(QString& report) {
  if (!gCnn().isOpen() || !gCnn().dialect().createsSchemaItself()) return true;
  const Fetched<bool> has = HasTable(gCnn(), QStringLiteral("Tolva"));
  const Done created = !has.ok() ? Done(has.failure) : *has ? Done() : CreateSchema(gCnn());
  if (!created) report = LogError(ErrorLabel(), created.failure());
  return bool(created);
}

namespace {

// A consistent copy of the embedded database file, taken before its schema changes.
Done copyBeforeUpgrade(Connection& cnn, int from) {
  const QString statement = cnn.dialect().copyDatabaseStatement();
  if (statement.isEmpty()) return {};
  const QString folder = QDir(TheSettings().appPath).filePath(QStringLiteral("backup"));
  if (!QDir().mkpath(folder)) return Failure{QStringLiteral("75"), QStringLiteral("無法建立備份目錄: ") + folder};
  const QString stem = QDir(folder).filePath(QFileInfo(cnn.database().databaseName()).completeBaseName() +
                                             QStringLiteral("-v%1-").arg(from) + Now().toString(QStringLiteral("yyyyMMdd-HHmmss")));
  // A second try within the same second, or a second program started together, keeps the
  // other copy and takes the next name.
  Fetched<int> copied = Failure{QStringLiteral("58"), QStringLiteral("無法建立備份檔: ") + stem};
  for (int n = 1; n <= 9; ++n) {
    const QString file = n == 1 ? stem + QStringLiteral(".db") : stem + QStringLiteral("-%1.db").arg(n);
    if (QFileInfo::exists(file)) continue;
    copied = cnn.execute(statement, {file});
    if (copied || !QFileInfo::exists(file)) break;
  }
  return Done::of(copied);
}

}  // namespace

bool UpgradeSchemaIfOlder(QString& report) {
  if (!gCnn().isOpen()) return true;
  const Fetched<int> found = StoredSchemaVersion(gCnn());
  Done ready = found ? Done() : Done(found.failure);
  if (ready && *found > kSchemaVersion) ready = Failure{QStringLiteral("-1"), NewerSchemaText(*found)};
  if (ready && (*found == 0 || *found == kSchemaVersion)) return true;
  // Copying a chain's database and indexing its journal again take minutes, before any window
  // is open.
  const NoticeScope notice(QStringLiteral("資料庫升級中，請稍候..."));
  if (ready) ready = copyBeforeUpgrade(gCnn(), *found);
  Fetched<QStringList> steps = ready ? UpgradeSchema(gCnn()) : Fetched<QStringList>(ready.failure());
  if (!steps) {
    report = LogError(ErrorLabel(), steps.failure);
    return false;
  }
  for (const QString& step : *steps) WriteActivityLog(TheSettings().appName, QStringLiteral("資料庫升級"), step);
  return true;
}
