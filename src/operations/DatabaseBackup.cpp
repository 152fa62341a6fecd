#include "operations/DatabaseBackup.h"

#include "db/Connection.h"

#include <QFileInfo>

QString EmbeddedDatabaseFile(const OperationContext& ctx) { return SqliteFileOf(ctx.db.connectionString()); }

Fetched<QList<TableRows>> BackUpDatabase(const OperationContext& ctx, const QString& file, const CopyProgress& progress) {
  const QString source = EmbeddedDatabaseFile(ctx);
  if (source.isEmpty()) return Failure{QStringLiteral("2"), kServerBackupText};
  return CopySqliteFile(source, QFileInfo(file).absoluteFilePath(), progress);
}
