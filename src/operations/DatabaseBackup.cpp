#include "operations/DatabaseBackup.h"

#include "core/Clock.h"
#include "core/Settings.h"
#include "db/Connection.h"
#include "db/Parameters.h"

#include <QDir>

#include <QFileInfo>

QString EmbeddedDatabaseFile(const OperationContext& ctx) { return SqliteFileOf(ctx.db.connectionString()); }

Fetched<QList<TableRows>> BackUpDatabase(const OperationContext& ctx, const QString& file, const CopyProgress& progress) {
  const QString source = EmbeddedDatabaseFile(ctx);
  if (source.isEmpty()) return Failure{QStringLiteral("2"), kServerBackupText};
  return CopySqliteFile(source, QFileInfo(file).absoluteFilePath(), progress);
}

Fetched<QString> RestoreDatabase(const OperationContext& ctx, const QString& file, const CopyProgress& progress) {
  const QString target = EmbeddedDatabaseFile(ctx);
  if (target.isEmpty()) return Failure{QStringLiteral("2"), kServerBackupText};
  const QString source = QFileInfo(file).absoluteFilePath();
  const QString aside = target + QStringLiteral(".replaced-") + Now().toString(QStringLiteral("yyyyMMdd-HHmmss"));
  const Fetched<QList<TableRows>> restored = RestoreSqliteFile(source, target, aside, progress);
  if (!restored) return restored.failure;
  WriteActivityLog(TheSettings().appName, QStringLiteral("資料庫還原"),
                   QStringLiteral("還原自 %1；原資料庫保留為 %2").arg(QDir::toNativeSeparators(source), QDir::toNativeSeparators(aside)));
  return aside;
}
