#pragma once
// Backing up the embedded database from the program: a checked copy, taken while others write.
#include "db/SqliteCopy.h"
#include "operations/OperationContext.h"

#include <QString>

// What a server database's administrator is told to use instead.
inline const QString kServerBackupText = QStringLiteral("伺服器上的資料庫請用 pg_dump / pg_restore 備份與還原 (見 README)");

// The file of the embedded database behind the context's connection ("" for a server).
QString EmbeddedDatabaseFile(const OperationContext& ctx);

// Writes a checked copy of the embedded database into `file` (see CopySqliteFile). A server
// database fails with number "2" and kServerBackupText.
Fetched<QList<TableRows>> BackUpDatabase(const OperationContext& ctx, const QString& file,
                                         const CopyProgress& progress = {});

// Puts the checked copy `file` into the embedded database in place (see RestoreSqliteFile),
// keeping the database as it stood beside it as "<database>.replaced-<date>-<time>", and logs
// the restore in the restored database. Answers the name of the file kept.
Fetched<QString> RestoreDatabase(const OperationContext& ctx, const QString& file, const CopyProgress& progress = {});
