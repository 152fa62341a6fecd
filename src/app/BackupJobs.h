#pragma once
// Command-line forms that copy the embedded database out and put a copy back.
#include <QString>

class QTextStream;

// `--backup FILE`: a checked copy of the open embedded database, taken while the program may be
// writing; its row counts are printed. 0 when written, 1 when it failed, 2 on a server database
// (whose own tools back it up).
int BackupJob(const QString& file, QTextStream& out);
// `--restore FILE`: puts a checked copy in place of the embedded database while no window of
// the application folder runs; the replaced file stays beside it. 0 when restored, 1 when
// refused or failed, 2 on a server database.
int RestoreJob(const QString& appName, const QString& file, QTextStream& out);
// `--copy-database CONNECTION`: copies the configured database into the empty server database
// the connection string names, and prints each table's rows and sums on both sides. 0 when
// copied, 1 when refused or failed (nothing is left in the target), 2 when the target is not a
// server database.
int CopyDatabaseJob(const QString& connectionString, QTextStream& out);
