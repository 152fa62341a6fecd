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
